# Runs after CPack has written the zip: says where it is and how big the program is.
file(SIZE "${CPACK_LANGUPDATE_EXE}" exe_size)
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  file(SIZE "${package}" zip_size)
  get_filename_component(name "${package}" NAME)
  message(STATUS "Release: ${name}, ${zip_size} bytes")
endforeach()
message(STATUS "LangUpdate.exe: ${exe_size} bytes")
