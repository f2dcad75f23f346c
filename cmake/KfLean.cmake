# Size-oriented settings for the installer/uninstaller stubs: every byte of a stub is
# carried by every setup executable the builder writes.

# Drop unused code at link time, optimise for size, strip symbols and (on Windows)
# make it a GUI-subsystem program so no console window flashes up.
function(kf_lean_executable target)
    kf_lean_library(${target})
    if(KF_WIN32)
        # No link time in the PE header: the same sources give the same stub bytes, so
        # setup executables are reproducible whichever tree built the stubs.
        target_link_options(${target} PRIVATE -mwindows -Wl,--no-insert-timestamp)
    endif()
    target_link_options(${target} PRIVATE -Wl,--gc-sections)
    # Sanitizer and fuzz builds need the symbols for their reports.
    if(NOT KF_SANITIZE AND NOT KF_FUZZ)
        target_link_options(${target} PRIVATE -s)
    endif()
endfunction()

# For static libraries that end up in a stub: per-function sections let the stub's
# --gc-sections throw away what the stub never calls.
function(kf_lean_library target)
    target_compile_options(${target} PRIVATE -Os -ffunction-sections -fdata-sections)
endfunction()
