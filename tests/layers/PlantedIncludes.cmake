# The layer check on the real tree passes; on a small tree with an upward
# include in each kind of layer it fails and names every one of them.
execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${SOURCE_DIR} -P ${CHECK}
                RESULT_VARIABLE result ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the tree itself fails the layer check:\n${output}")
endif()

file(REMOVE_RECURSE ${WORK_DIR})
file(WRITE ${WORK_DIR}/stock/frmUno.cpp "#include \"stock/frmDue.h\"\n#include \"quirnel/mdiTarvo.h\"\n")
file(WRITE ${WORK_DIR}/base/Base.cpp "#include \"base/Globals.h\"\n  #  include \"stock/frmCarico.h\"\n")
file(WRITE ${WORK_DIR}/quirnel/Top.cpp "#include \"stock/frmCarico.h\"\n")
file(WRITE ${WORK_DIR}/rules/Rule.cpp "#include \"db/Database.h\"\n#include <QWidget>\n")
file(WRITE ${WORK_DIR}/platform/db/Engine.cpp "#include \"base/Globals.h\"\n")
file(WRITE ${WORK_DIR}/lookup/frmTre.cpp "#include \"invoicing/frmFattura.h\"\n")
file(WRITE ${WORK_DIR}/rules/stock/Lista.cpp "#include \"rules/stock/StockList.h\"\n#include <QLineEdit>\n#include \"ui/Messages.h\"\n")
file(WRITE ${WORK_DIR}/tools/esporta/Tool.cpp "#include \"rules/ListExport.h\"\n#include \"stock/frmArticoli.h\"\n#include <QApplication>\n")

execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${WORK_DIR} -P ${CHECK}
                RESULT_VARIABLE result ERROR_VARIABLE output)
if(result EQUAL 0)
  message(FATAL_ERROR "planted upward includes were not refused")
endif()
foreach(expected "stock/frmUno.cpp: \"quirnel/mdiTarvo.h\"" "base/Base.cpp: \"stock/frmCarico.h\""
                 "rules/Rule.cpp: <QWidget>" "platform/db/Engine.cpp: \"base/Globals.h\""
                 "lookup/frmTre.cpp: \"invoicing/frmFattura.h\"" "rules/stock/Lista.cpp: <QLineEdit>"
                 "rules/stock/Lista.cpp: \"ui/Messages.h\"" "tools/esporta/Tool.cpp: \"stock/frmArticoli.h\""
                 "tools/esporta/Tool.cpp: <QApplication>")
  string(FIND "${output}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "not named by the check: ${expected}\n${output}")
  endif()
endforeach()
foreach(allowed "quirnel/Top.cpp" "stock/frmDue.h" "db/Database.h" "rules/stock/StockList.h" "rules/ListExport.h")
  string(FIND "${output}" "${allowed}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "an allowed include was refused: ${allowed}\n${output}")
  endif()
endforeach()
