# Refuses an include that reaches upwards in the stack of the program's
# targets. Run at every build (target check_layers) and by its test:
#   cmake -DSOURCE_DIR=<tree> -P cmake/CheckLayers.cmake
#
# Each folder lists the include prefixes it must never use: what lies above
# it, and for platform/ and lodder/ everything of the system.
set(windows "base/" "lookup/" "stock/" "register/" "invoicing/" "safety/" "legacyimport/" "quirnel/")
set(system_folders ${windows} "skin/" "rules/" "legacy/" "tools/")
set(rules_of_platform ${system_folders})
set(rules_of_lodder ${system_folders})
set(rules_of_skin ${windows} "rules/" "legacy/" "tools/")
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
set(rules_of_rules ${windows} "legacy/" "tools/" ${no_window})
# The import of the old program's file: the database engine only, no window.
set(rules_of_legacy ${windows} "skin/" "rules/" "tools/" "ui/" "data/" "report/"
    "<QtWidgets" "<QtGui" "<QWidget" "<QApplication" "<QGuiApplication")
# The windows, each folder below the ones that open it; quirnel/, the
# program, may include everything.
set(rules_of_base "lookup/" "stock/" "register/" "invoicing/" "safety/" "legacyimport/" "quirnel/" "tools/")
set(rules_of_lookup "stock/" "register/" "invoicing/" "safety/" "legacyimport/" "quirnel/" "tools/")
set(rules_of_stock "register/" "invoicing/" "safety/" "legacyimport/" "quirnel/" "tools/")
set(rules_of_register "invoicing/" "safety/" "legacyimport/" "quirnel/" "tools/")
set(rules_of_invoicing "safety/" "legacyimport/" "quirnel/" "tools/")
set(rules_of_safety "lookup/" "stock/" "register/" "invoicing/" "legacyimport/" "quirnel/" "tools/")
set(rules_of_legacyimport "lookup/" "stock/" "register/" "invoicing/" "safety/" "quirnel/" "tools/")
# The command-line programs: no window of the program, no other tool.
# tarvo-esporta stands on the core alone: no window, no display.
set(rules_of_tools_esporta ${windows} "legacy/" "tools/migra/" ${no_window})
# tarvo-migra: the engine only. tarvo-importa: the old file's reader and the
# core (the suppliers' invoices), no window.
set(rules_of_tools_migra ${rules_of_legacy} "legacy/")
set(rules_of_tools_importa ${windows} "tools/esporta/" "tools/migra/" ${no_window})
set(rules_of_tools_mkdb ${rules_of_legacy} "legacy/")
# tarvo-stampa: the report platform that draws the pages, no window.
set(rules_of_tools_stampa ${windows} "skin/" "rules/" "legacy/" "tools/" "ui/" "data/" "<QtWidgets" "<QWidget" "<QApplication")
set(rules_of_tools_etichette ${windows} "skin/" "rules/" "legacy/" "tools/" "ui/" "data/" "<QtWidgets" "<QWidget" "<QApplication")
# regsvr and debmdb: the log library only.
set(rules_of_tools_regsvr ${system_folders})
set(rules_of_tools_debmdb ${system_folders})

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "CheckLayers: SOURCE_DIR not set")
endif()

set(violations "")
foreach(layer platform lodder skin rules legacy base lookup stock register invoicing safety legacyimport
        tools/esporta tools/migra tools/importa tools/mkdb tools/stampa tools/regsvr tools/debmdb)
  if(NOT EXISTS ${SOURCE_DIR}/${layer})
    continue()
  endif()
  string(REPLACE "/" "_" key "${layer}")
  file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
  foreach(file ${files})
    file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(line ${includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*" "" target "${line}")
      foreach(forbidden ${rules_of_${key}})
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
