# What `cmake --install` puts where. Two layouts of the same files:
#   folder  one program folder: the executables beside fbhelp/, skin/ and
#           the sample, so that it runs from wherever the folder is copied
#           (`make gui`)
#   system  bin/ and share/tessaly/ under the prefix (/usr), with the menu
#           entry, the icon, the file type, the manual pages and the Debian
#           documents (`make package`)
# The program finds its files either way (src/ui/program_folder.h).
set(TESSALY_INSTALL_LAYOUT folder CACHE STRING "Install layout: folder or system")
set_property(CACHE TESSALY_INSTALL_LAYOUT PROPERTY STRINGS folder system)

if(TESSALY_INSTALL_LAYOUT STREQUAL "system")
  include(GNUInstallDirs)
  set(tessaly_bin_dir "${CMAKE_INSTALL_BINDIR}")
  set(tessaly_data_dir "${CMAKE_INSTALL_DATADIR}/tessaly")
elseif(TESSALY_INSTALL_LAYOUT STREQUAL "folder")
  set(tessaly_bin_dir .)
  set(tessaly_data_dir .)
else()
  message(FATAL_ERROR "TESSALY_INSTALL_LAYOUT is folder or system, not ${TESSALY_INSTALL_LAYOUT}")
endif()

# Folders readable by everyone, whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
  GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS tessaly-cli RUNTIME DESTINATION "${tessaly_bin_dir}")
if(TARGET tessaly)
  install(TARGETS tessaly RUNTIME DESTINATION "${tessaly_bin_dir}")
  if(TESSALY_INSTALL_LAYOUT STREQUAL "folder")
    # Libraries copied into the program folder are found beside the program.
    set_target_properties(tessaly PROPERTIES INSTALL_RPATH "$ORIGIN")
  endif()
endif()
# The help page with its pictures and the demonstration video, the skin and
# the sample division.
install(DIRECTORY "${CMAKE_SOURCE_DIR}/data/fbhelp" "${CMAKE_SOURCE_DIR}/data/skin"
  DESTINATION "${tessaly_data_dir}")
install(FILES "${CMAKE_SOURCE_DIR}/data/sample.fb" DESTINATION "${tessaly_data_dir}")

if(TESSALY_INSTALL_LAYOUT STREQUAL "system")
  include(cmake/TessalyDebian.cmake)
endif()
