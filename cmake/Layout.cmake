# Where an installation puts the program's files, said once: the install
# rules (packaging/) use these, and the program reads them from the header
# made here (InstallLayout.h), so the two never disagree.
#
# The Debian package, under its prefix /usr:
set(MERIDOX_PROGRAM_DIR lib/meridox)  # the program, vterminal, the hosts
set(MERIDOX_SEED_DIR share/meridox)   # the empty databases a new program folder gets
set(MERIDOX_PACKAGE_GUIDE_DIR share/doc/meridox/kilavuz)  # the operator's guide
# The guide's folder beside the program: the Windows folder and installer, a
# program folder copied anywhere, the build's bin/.
set(MERIDOX_GUIDE_BESIDE kilavuz)

file(RELATIVE_PATH MERIDOX_SEED_FROM_PROGRAM /${MERIDOX_PROGRAM_DIR} /${MERIDOX_SEED_DIR})
file(RELATIVE_PATH MERIDOX_GUIDE_FROM_PROGRAM /${MERIDOX_PROGRAM_DIR} /${MERIDOX_PACKAGE_GUIDE_DIR})
set(MERIDOX_LAYOUT_INCLUDE_DIR ${CMAKE_BINARY_DIR}/layout)
configure_file(${CMAKE_CURRENT_LIST_DIR}/InstallLayout.h.in
  ${MERIDOX_LAYOUT_INCLUDE_DIR}/InstallLayout.h @ONLY)
