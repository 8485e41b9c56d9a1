# The distribution's hardening flags, as `dpkg-buildflags` gives them with every hardening feature
# on (fortified functions, stack protector, format checks, relocations read-only and bound at
# start-up), for every optimised build: the .deb is made from one. The optimisation, debug and
# path flags stay those of the build type; sanitizer builds and unoptimised builds go without.
find_program(GYRO_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT GYRO_DPKG_BUILDFLAGS OR CMAKE_CXX_FLAGS MATCHES "-fsanitize"
   OR NOT CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
    return()
endif()
foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                            ${GYRO_DPKG_BUILDFLAGS} --get ${kind}
                    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^-g|^-O|^-ffile-prefix-map|^-fdebug-prefix-map")
    if(kind STREQUAL "LDFLAGS")
        add_link_options(${flags})
    else()
        add_compile_options(${flags})
    endif()
endforeach()
