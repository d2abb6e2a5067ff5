# What the LGPL asks of a program that links Qt and libintl statically: the
# means to link it again with a changed version of them. The zip carries
# pellisto.exe's own object files and libraries in relink/, with a
# CMakeLists.txt that links them with the Qt and libintl a user points it at
# (relink/README.txt).

set(PELLISTO_RELINK_LIBRARIES
  pellisto_start pellisto_ui pellisto_update pellisto_welcome pellisto_about
  pellisto_i18n pellisto_widgets pellisto_app pellisto_config)
install(TARGETS ${PELLISTO_RELINK_LIBRARIES} ARCHIVE DESTINATION relink/lib)
install(FILES ${SIMPLEINI_LIBRARY} DESTINATION relink/lib)
# The program's own objects: main, its resources, the version resource and
# Qt's paths. Qt's list of imported plugins is made again by the relink.
install(FILES $<FILTER:$<TARGET_OBJECTS:pellisto>,EXCLUDE,plugin_import>
              $<TARGET_OBJECTS:pellisto_qtconf> $<TARGET_OBJECTS:pellisto_version>
        DESTINATION relink/objects)
list(JOIN PELLISTO_RELINK_LIBRARIES " " PELLISTO_RELINK_LIBRARY_NAMES)
configure_file(${CMAKE_CURRENT_LIST_DIR}/relink/CMakeLists.txt.in
  ${CMAKE_BINARY_DIR}/relink/CMakeLists.txt @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/relink/CMakeLists.txt
              ${CMAKE_CURRENT_LIST_DIR}/relink/README.txt
        DESTINATION relink)
