# Installs the build into a fresh prefix and checks what a desktop expects to find there.
# Run with -DBUILD_DIR=<build folder> -DPREFIX=<empty folder to install into>.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE installed OUTPUT_QUIET)
if(NOT installed EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${installed}")
endif()

set(failures "")
function(expect_file relative)
    if(NOT EXISTS "${PREFIX}/${relative}" OR IS_DIRECTORY "${PREFIX}/${relative}")
        set(failures "${failures}\n  missing ${relative}" PARENT_SCOPE)
    endif()
endfunction()

set(data share/tarnwick)
foreach(file bin/tarnwick ${data}/Help.rtf ${data}/sounds/foundfax.wav ${data}/sounds/nextsearch.wav
             ${data}/sounds/finished.wav share/applications/tarnwick.desktop
             share/icons/hicolor/scalable/apps/tarnwick.svg share/icons/hicolor/256x256/apps/tarnwick.png
             share/metainfo/example.tarnwick.Tarnwick.metainfo.xml share/doc/tarnwick/copyright
             share/doc/tarnwick/changelog.gz share/man/man1/tarnwick.1.gz)
    expect_file(${file})
endforeach()

# Nothing but the program belongs beside it: its data is the user's, not the install's.
file(GLOB beside RELATIVE "${PREFIX}/bin" "${PREFIX}/bin/*")
if(NOT beside STREQUAL "tarnwick")
    set(failures "${failures}\n  bin holds more than the program: ${beside}")
endif()
if(EXISTS "${PREFIX}/${data}/spider.mdb")
    set(failures "${failures}\n  a database ships in the shared data; each user gets a fresh one")
endif()

# The PNG's header carries its size: width and height of 256 in the IHDR chunk.
set(png "${PREFIX}/share/icons/hicolor/256x256/apps/tarnwick.png")
if(EXISTS "${png}")
    file(READ "${png}" header LIMIT 24 HEX)
    if(NOT header MATCHES "^89504e470d0a1a0a0000000d4948445200000100" OR NOT header MATCHES "00000100$")
        set(failures "${failures}\n  the PNG icon is not 256 by 256 px: ${header}")
    endif()
endif()

set(desktop "${PREFIX}/share/applications/tarnwick.desktop")
if(EXISTS "${desktop}")
    file(READ "${desktop}" entry)
    foreach(line "Name=Tarnwick" "Icon=tarnwick" "Exec=tarnwick" "Categories=Network;Office;")
        string(FIND "${entry}" "\n${line}\n" at)
        if(at EQUAL -1)
            set(failures "${failures}\n  the desktop entry lacks ${line}")
        endif()
    endforeach()
endif()

# The desktop's own validators, where installed (CI installs them).
find_program(desktop_validate desktop-file-validate)
if(desktop_validate AND EXISTS "${desktop}")
    execute_process(COMMAND "${desktop_validate}" "${desktop}" RESULT_VARIABLE result OUTPUT_VARIABLE out
                    ERROR_VARIABLE out)
    if(NOT result EQUAL 0)
        set(failures "${failures}\n  desktop-file-validate: ${out}")
    endif()
endif()
find_program(appstream_validate appstreamcli)
set(metainfo "${PREFIX}/share/metainfo/example.tarnwick.Tarnwick.metainfo.xml")
if(appstream_validate AND EXISTS "${metainfo}")
    execute_process(COMMAND "${appstream_validate}" validate --no-net "${metainfo}" RESULT_VARIABLE result
                    OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT result EQUAL 0)
        set(failures "${failures}\n  appstreamcli validate: ${out}")
    endif()
endif()
if(EXISTS "${metainfo}")
    file(READ "${metainfo}" meta)
    foreach(part "<screenshot type=\"default\">" "<description>" "tarnwick.desktop</launchable>")
        string(FIND "${meta}" "${part}" at)
        if(at EQUAL -1)
            set(failures "${failures}\n  the metainfo lacks ${part}")
        endif()
    endforeach()
endif()

if(failures)
    message(FATAL_ERROR "The install tree is incomplete:${failures}")
endif()
message(STATUS "Install tree complete in ${PREFIX}")
