; The peer side of the setup benches: one installer that ships a corpus folder whole and an
; uninstaller that removes it, as Kitforge's bench setup does. bench/build-bench.sh and
; install-bench.sh pass the corpus on makensis's command line:
;   makensis -DCORPUS=NAME -DCORPUS_DIR=DIR -DOUTFILE=FILE [-DCOMPRESSOR=...] bench.nsi
; The compressor defaults to zlib, non-solid (one stream per file), the closest peer to
; Kitforge's package; the installer runs silently with /S /D=C:\dir.
!ifndef COMPRESSOR
  !define COMPRESSOR zlib
!endif
SetCompressor ${COMPRESSOR}
Unicode true
Name "KF bench ${CORPUS}"
OutFile "${OUTFILE}"
InstallDir "C:\kf-nsis-${CORPUS}"
RequestExecutionLevel user
ShowInstDetails nevershow
Page directory
Page instfiles

Section "Corpus"
  SetOutPath "$INSTDIR"
  File /r "${CORPUS_DIR}/*"
  WriteUninstaller "$INSTDIR\uninst.exe"
SectionEnd

Section "Uninstall"
  RMDir /r "$INSTDIR"
SectionEnd
