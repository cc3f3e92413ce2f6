# The controller's core library stays free of widgets: every source it is built from (read
# from the build's own list) is checked for GUI headers.
string(REPLACE "|" ";" sources "${SOURCES}")
set(offenders "")
foreach(source ${sources})
    file(STRINGS ${ROOT}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](QtWidgets|QtGui|QWidget|QApplication|QGuiApplication|QDialog|QMessageBox|QColor|QFont|QPalette|QScreen|QLabel|QPushButton|QLineEdit|QRadioButton|QListWidget|messagebox.h|twips.h|appfonts.h|form1.h|form2.h)")
    if(includes)
        list(APPEND offenders "${source}: ${includes}")
    endif()
endforeach()
if(offenders)
    message(FATAL_ERROR "GUI headers in the controller's core library:\n${offenders}")
endif()
