# Refuses an include that reaches upwards in the stack of the program's
# targets. Run at every build (target check_layers) and by its test:
#   cmake -DSOURCE_DIR=<tree> -P cmake/CheckLayers.cmake
#
# Each folder lists the include prefixes it must never use: what lies above
# it, and for platform/ and lodder/ everything of the system.
set(system_folders "app/" "lookup/" "stock/" "invoicing/" "register/" "skin/" "rules/" "legacy/")
set(rules_of_platform ${system_folders})
set(rules_of_lodder ${system_folders})
set(rules_of_skin "app/" "lookup/" "stock/" "invoicing/" "register/" "rules/" "legacy/")
# What needs a window or a display: the widget platform, the skin, the
# print platform, and Qt's GUI and widget headers.
set(no_window "skin/" "ui/" "data/" "report/"
    "<QtWidgets" "<QtGui" "<QtPrintSupport" "<QWidget" "<QApplication" "<QGuiApplication" "<QDialog"
    "<QMessageBox" "<QFileDialog" "<QProgressDialog" "<QMainWindow" "<QMdi" "<QLineEdit" "<QTextEdit"
    "<QPlainTextEdit" "<QComboBox" "<QCheckBox" "<QLabel" "<QPushButton" "<QAbstractButton" "<QAbstractItemView"
    "<QTableView" "<QTreeView" "<QTreeWidget" "<QListWidget" "<QHeaderView" "<QLayout" "<QBoxLayout"
    "<QHBoxLayout" "<QVBoxLayout" "<QGridLayout" "<QFrame" "<QPainter" "<QPixmap" "<QImage" "<QIcon"
    "<QFont" "<QColor" "<QPalette" "<QPrinter" "<QScreen" "<QCursor")
# The core (rules/, with a folder per subsystem) needs no window: the
# shop's rules, the general values, the lists and their statements.
set(rules_of_rules "app/" "lookup/" "stock/" "invoicing/" "register/" "legacy/" "esporta/" ${no_window})
# tarvo-esporta stands on the core alone: no window, no display.
set(rules_of_esporta "app/" "lookup/" "stock/" "invoicing/" "register/" "legacy/" ${no_window})
# The import of the old program's file: the database engine only, no window.
set(rules_of_legacy "app/" "lookup/" "stock/" "invoicing/" "register/" "skin/" "rules/" "ui/" "data/" "report/"
    "<QtWidgets" "<QtGui" "<QWidget" "<QApplication" "<QGuiApplication")
# The move to a server: the database engine only, no window.
set(rules_of_migra ${rules_of_legacy} "legacy/")
set(rules_of_app "app/main/" "lookup/" "stock/" "invoicing/" "register/")
set(rules_of_lookup "app/main/" "stock/" "invoicing/" "register/")
set(rules_of_stock "app/main/" "invoicing/" "register/")
set(rules_of_invoicing "app/main/")
set(rules_of_register "app/main/" "invoicing/")

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "CheckLayers: SOURCE_DIR not set")
endif()

set(violations "")
foreach(layer platform lodder skin rules legacy migra esporta app lookup stock invoicing register)
  if(NOT EXISTS ${SOURCE_DIR}/${layer})
    continue()
  endif()
  file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
  foreach(file ${files})
    # The top of the program may include everything.
    if(file MATCHES "^app/main/")
      continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(line ${includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*" "" target "${line}")
      foreach(forbidden ${rules_of_${layer}})
        if(forbidden MATCHES "^<")
          string(FIND "${target}" "${forbidden}" at)
        else()
          string(FIND "${target}" "\"${forbidden}" at)
        endif()
        if(at EQUAL 0)
          list(APPEND violations "${file}: ${target} (${layer}/ must not include ${forbidden})")
        endif()
      endforeach()
    endforeach()
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "Includes that reach upwards:\n  ${text}")
endif()
