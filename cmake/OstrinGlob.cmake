# Collect the .cpp and .h files directly inside each named folder (not below it). Headers are
# listed so that moc sees every Q_OBJECT header even in a build folder made before it existed.
function(ostrin_sources out)
  set(result)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.h)
    list(APPEND result ${found})
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()
