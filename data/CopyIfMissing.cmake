# Copies each of FILES into DESTINATION unless a file of that name is there.
file(MAKE_DIRECTORY "${DESTINATION}")
foreach(source IN LISTS FILES)
  get_filename_component(name "${source}" NAME)
  if(NOT EXISTS "${DESTINATION}/${name}")
    file(COPY "${source}" DESTINATION "${DESTINATION}")
  endif()
endforeach()
