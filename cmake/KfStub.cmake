# The installer and uninstaller stubs: every byte of a stub is carried by every setup
# executable the builder writes, so a stub is built for size.
#
#   kf_add_stub(<target> OUTPUT_NAME <name> SOURCES <files...> LIBRARIES <libs...>)
#
# A stub names the project's libraries it needs, like any program. It links stub
# variants of them (<lib>_stub): object libraries of the same sources, compiled for
# size with link-time optimisation. On PE the unwind tables keep every function alive
# under --gc-sections, so LTO is what drops the code a stub never calls (the
# compressor of the package code, most of the runtime helpers). zlib is replaced by
# kf_zlib_inflate, zlib's inflate alone.
#
# The stubs start no thread, so they are compiled and linked by the win32 thread
# model of the same GCC (KF_STUB_C_COMPILER/KF_STUB_CXX_COMPILER from the toolchain
# file): its runtime takes its few locks from kernel32, where the posix model's pulls
# in winpthread. The rest of the build keeps the posix model and std::thread.

include_guard(GLOBAL)

# Flags of everything that goes into a stub, in one place. -Oz rather than -Os: the
# stubs' time goes to inflate (zlib keeps -Os) and to file I/O, not to their own code.
set(KF_STUB_COMPILE_OPTIONS -Oz -flto -ffunction-sections -fdata-sections
    # Nothing in a stub asks for a type at run time (no dynamic_cast, no typeid); what
    # was thrown is still matched to its catch clause.
    $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti>
    # One UI thread: function-local statics need no locking.
    -fno-threadsafe-statics
    # Neither build folder nor source folder may show in a stub's bytes.
    "-ffile-prefix-map=${PROJECT_SOURCE_DIR}=." "-ffile-prefix-map=${PROJECT_BINARY_DIR}=.")
set(KF_STUB_LINK_OPTIONS -Oz -flto=auto -mwindows -Wl,--gc-sections
    # One partition: with several, MinGW's LTO can fail with an internal compiler error
    # (binds_to_current_def_p) on the installer's sources.
    -flto-partition=one
    # No data imported from a DLL without a declaration saying so: such code would need
    # the runtime pseudo relocations that LeanRuntime.cpp leaves out, so ld refuses it.
    -Wl,--disable-auto-import
    # No link time in the PE header: the same sources give the same stub bytes.
    -Wl,--no-insert-timestamp -s)

# Run the stub's compile and link commands with the win32-model driver, as C++20:
# up to C++17, libstdc++ declares std::string instantiated in the library, so the
# first use of it links the library's whole string object (33 KB with its unwind
# tables); from C++20 on each member is made where it is used and LTO keeps those.
function(_kf_stub_compilers target)
    set_target_properties(${target} PROPERTIES CXX_STANDARD 20)
    if(KF_STUB_CXX_COMPILER)
        set(swap "${PROJECT_SOURCE_DIR}/cmake/with-compiler")
        set_target_properties(${target} PROPERTIES
            C_COMPILER_LAUNCHER "${swap};${KF_STUB_C_COMPILER}"
            CXX_COMPILER_LAUNCHER "${swap};${KF_STUB_CXX_COMPILER}"
            C_LINKER_LAUNCHER "${swap};${KF_STUB_C_COMPILER}"
            CXX_LINKER_LAUNCHER "${swap};${KF_STUB_CXX_COMPILER}")
    endif()
endfunction()

# kf_zlib_inflate: zlib's inflate and Adler-32 from the zlib sources that Debian's
# binutils-source ships (Debian has no package of zlib's own sources). NO_GZIP leaves
# out the gzip wrapper and with it crc32; the stubs never deflate.
function(_kf_zlib_inflate)
    if(TARGET kf_zlib_inflate)
        return()
    endif()
    set(dir "${PROJECT_BINARY_DIR}/_deps/zlib-inflate")
    set(files adler32.c inffast.c inflate.c inftrees.c zutil.c
              inffast.h inffixed.h inflate.h inftrees.h zutil.h zlib.h zconf.h gzguts.h)
    if(NOT EXISTS "${dir}/zutil.c")
        file(GLOB archive "/usr/src/binutils/binutils-*.tar.xz")
        if(NOT archive)
            message(FATAL_ERROR "zlib sources not found in /usr/src/binutils; run scripts/install-deps.sh")
        endif()
        list(GET archive 0 archive)
        set(members)
        foreach(f IN LISTS files)
            list(APPEND members "*/zlib/${f}")
        endforeach()
        # tar rather than file(ARCHIVE_EXTRACT): the archive holds zconf.h twice, once
        # as a hard link to itself, which CMake's extractor refuses.
        file(MAKE_DIRECTORY "${dir}")
        execute_process(COMMAND tar -xJf "${archive}" -C "${dir}" --strip-components=2 --wildcards ${members}
                        RESULT_VARIABLE failed)
        if(failed OR NOT EXISTS "${dir}/zutil.c")
            message(FATAL_ERROR "cannot extract zlib's sources from ${archive}")
        endif()
    endif()
    list(FILTER files INCLUDE REGEX "\\.c$")
    list(TRANSFORM files PREPEND "${dir}/")
    add_library(kf_zlib_inflate OBJECT EXCLUDE_FROM_ALL ${files})
    target_include_directories(kf_zlib_inflate SYSTEM PUBLIC "${dir}")
    # BUILDFIXED: the fixed Huffman tables are built on first use instead of stored
    # (2 KB); zlib warns that this is not thread-safe, and the stubs inflate on their
    # one thread.
    target_compile_definitions(kf_zlib_inflate PRIVATE NO_GZIP BUILDFIXED)
    # zlib calls nothing that throws, so nothing unwinds through it: without unwind
    # tables, --gc-sections drops what the stubs never call, and outside LTO its
    # functions do not take the C++ personality routine's unwinder with them.
    # No -fdata-sections: with it, MinGW's GCC puts zero-filled statics (the tables of
    # BUILDFIXED) in .data, where they take file bytes, instead of .bss.
    target_compile_options(kf_zlib_inflate PRIVATE -Os -ffunction-sections
                           -fno-exceptions -fno-asynchronous-unwind-tables -w)
    _kf_stub_compilers(kf_zlib_inflate)
    set_property(TARGET kf_zlib_inflate PROPERTY KF_STUB_OBJECTS kf_zlib_inflate)
endfunction()

# Maps one entry of a library's link list to what a stub links instead.
function(_kf_stub_link_item item out)
    if(item STREQUAL "ZLIB::ZLIB")
        _kf_zlib_inflate()
        set(${out} kf_zlib_inflate PARENT_SCOPE)
    elseif(TARGET "${item}")
        get_target_property(imported ${item} IMPORTED)
        if(imported)
            set(${out} "${item}" PARENT_SCOPE)
        else()
            kf_stub_variant(${item})
            set(${out} "${item}_stub" PARENT_SCOPE)
        endif()
    else()
        set(${out} "${item}" PARENT_SCOPE)
    endif()
endfunction()

# <lib>_stub: the stub variant of a project library, made once. Its property
# KF_STUB_OBJECTS lists it and every variant below it: objects of an object library
# reach only the targets that link it directly, so the stub links them all.
function(kf_stub_variant lib)
    set(variant ${lib}_stub)
    if(TARGET ${variant})
        return()
    endif()
    get_target_property(sources ${lib} SOURCES)
    get_target_property(dir ${lib} SOURCE_DIR)
    set(objects)
    foreach(source IN LISTS sources)
        if(source MATCHES "\\.(c|cpp)$")
            cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY "${dir}")
            list(APPEND objects "${source}")
        endif()
    endforeach()
    add_library(${variant} OBJECT EXCLUDE_FROM_ALL ${objects})
    foreach(property INCLUDE_DIRECTORIES COMPILE_DEFINITIONS INTERFACE_INCLUDE_DIRECTORIES
                     INTERFACE_COMPILE_DEFINITIONS)
        get_target_property(value ${lib} ${property})
        if(value)
            set_property(TARGET ${variant} PROPERTY ${property} "${value}")
        endif()
    endforeach()
    target_compile_options(${variant} PRIVATE ${KF_STUB_COMPILE_OPTIONS})
    _kf_stub_compilers(${variant})

    set(closure ${variant})
    get_target_property(private ${lib} LINK_LIBRARIES)
    get_target_property(public ${lib} INTERFACE_LINK_LIBRARIES)
    foreach(scope IN ITEMS private public)
        if(NOT ${scope})
            continue()
        endif()
        foreach(item IN LISTS ${scope})
            _kf_stub_link_item("${item}" mapped)
            if(scope STREQUAL "private")
                target_link_libraries(${variant} PRIVATE ${mapped})
            else()
                target_link_libraries(${variant} INTERFACE ${mapped})
            endif()
            if(TARGET ${mapped})
                get_target_property(below ${mapped} KF_STUB_OBJECTS)
                if(below)
                    list(APPEND closure ${below})
                endif()
            endif()
        endforeach()
    endforeach()
    list(REMOVE_DUPLICATES closure)
    set_property(TARGET ${variant} PROPERTY KF_STUB_OBJECTS ${closure})
endfunction()

function(kf_add_stub target)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "OUTPUT_NAME" "SOURCES;LIBRARIES")
    # LeanRuntime.cpp replaces parts of libstdc++ that a stub does not need. It is written
    # for the product's 32-bit runtime (DWARF unwinding); the 64-bit test build, which
    # unwinds by SEH, keeps libstdc++'s own.
    set(lean)
    if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
        set(lean "${PROJECT_SOURCE_DIR}/runtime/common/LeanRuntime.cpp")
    endif()
    add_executable(${target} WIN32 ${ARG_SOURCES} ${lean})
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${ARG_OUTPUT_NAME})
    set(objects)
    foreach(lib IN LISTS ARG_LIBRARIES)
        _kf_stub_link_item("${lib}" mapped)
        target_link_libraries(${target} PRIVATE ${mapped})
        if(TARGET ${mapped})
            get_target_property(below ${mapped} KF_STUB_OBJECTS)
            if(below)
                list(APPEND objects ${below})
            endif()
        endif()
    endforeach()
    list(REMOVE_DUPLICATES objects)
    target_link_libraries(${target} PRIVATE ${objects})
    target_compile_options(${target} PRIVATE ${KF_STUB_COMPILE_OPTIONS})
    target_link_options(${target} PRIVATE ${KF_STUB_LINK_OPTIONS}
        # The map shows what each byte of the stub is for.
        "-Wl,-Map=${CMAKE_CURRENT_BINARY_DIR}/${ARG_OUTPUT_NAME}.map")
    _kf_stub_compilers(${target})
endfunction()
