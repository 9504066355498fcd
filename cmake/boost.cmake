# Boost's headers for `shared_ptr`. The native build uses the system's
# Boost; a cross build gets an include folder of its own that holds only
# the boost/ tree, so that no other host header can reach the target.
add_library(quorvane_boost INTERFACE)
if(CMAKE_CROSSCOMPILING)
  find_path(QUORVANE_HOST_BOOST boost/shared_ptr.hpp PATHS /usr/include /usr/local/include
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT QUORVANE_HOST_BOOST)
    message(FATAL_ERROR "Boost headers not found: install libboost-dev")
  endif()
  set(link_dir ${CMAKE_BINARY_DIR}/boost-include)
  file(MAKE_DIRECTORY ${link_dir})
  if(NOT EXISTS ${link_dir}/boost)
    file(CREATE_LINK ${QUORVANE_HOST_BOOST}/boost ${link_dir}/boost SYMBOLIC)
  endif()
  target_include_directories(quorvane_boost SYSTEM INTERFACE ${link_dir})
else()
  find_package(Boost 1.60 REQUIRED)
  target_link_libraries(quorvane_boost INTERFACE Boost::headers)
endif()
# One thread: plain reference counts.
target_compile_definitions(quorvane_boost INTERFACE BOOST_SP_DISABLE_THREADS)
