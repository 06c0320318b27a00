# Staged renderer installation: the renderer program and the link library
# where discovery looks for them under the install root, and the resource
# folder that takes the log. Staged only inside the build folder, so a build
# never writes into a real installation.
set(SOLVANE_STAGE_VERSION 8)
cmake_path(IS_PREFIX CMAKE_BINARY_DIR "${SOLVANE_INSTALL_ROOT}" NORMALIZE _solvane_stage_inside)
if(SOLVANE_INSTALL_ROOT AND _solvane_stage_inside)
  set(_app "${SOLVANE_INSTALL_ROOT}/Applications/Solvane${SOLVANE_STAGE_VERSION}.app/Contents/MacOS")
  set(_resources "${SOLVANE_INSTALL_ROOT}/Library/Application Support/Solvane${SOLVANE_STAGE_VERSION}")
  set(_stamp "${CMAKE_CURRENT_BINARY_DIR}/stage.stamp")
  add_custom_command(OUTPUT "${_stamp}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${_app}" "${_resources}"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:solvane_renderer> "${_app}/solvane"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:zelsolvanelive6> "${_app}/zelsolvanelive6.so"
    COMMAND ${CMAKE_COMMAND} -E touch "${_stamp}"
    DEPENDS solvane_renderer zelsolvanelive6 $<TARGET_FILE:solvane_renderer> $<TARGET_FILE:zelsolvanelive6>
    COMMENT "Staging the renderer installation"
    VERBATIM)
  add_custom_target(solvane_stage ALL DEPENDS "${_stamp}")
  message(STATUS "Renderer installation staged in ${SOLVANE_INSTALL_ROOT}")
elseif(SOLVANE_INSTALL_ROOT)
  message(STATUS "SOLVANE_INSTALL_ROOT lies outside the build folder: nothing staged there")
endif()
