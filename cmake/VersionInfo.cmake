# velmora_version_resource(target FILE_NAME name DESCRIPTION text [DLL])
# Gives a Windows target the project's version resource, configured from the
# one template cmake/VersionInfo.rc.in. Every deliverable calls this: the
# version installer compares these numbers when a shared file is installed.
function(velmora_version_resource target)
  cmake_parse_arguments(V "DLL" "FILE_NAME;DESCRIPTION" "" ${ARGN})
  set(VELMORA_FILE_NAME "${V_FILE_NAME}")
  set(VELMORA_FILE_DESCRIPTION "${V_DESCRIPTION}")
  set(VELMORA_INTERNAL_NAME "${target}")
  if(V_DLL)
    set(VELMORA_FILE_TYPE VFT_DLL)
  else()
    set(VELMORA_FILE_TYPE VFT_APP)
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionInfo.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
