# `cpack -G DEB` in the build directory: a Debian package that installs the program under /usr.
# Its library dependencies are read from the binaries (dpkg-shlibdeps).
set(CPACK_PACKAGE_NAME rosterly)
set(CPACK_PACKAGE_VENDOR "Rosterly")
set(CPACK_PACKAGE_CONTACT "Rosterly developers <rosterly@invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn text files and web pages into clean mailing lists")
set(CPACK_PACKAGE_DESCRIPTION
    "Rosterly reads a local text file or a web page line by line, cuts every
line that holds an at sign down to one e-mail address, drops repeats and
unusable entries, and writes a de-duplicated list: one address per line.
On request the list is sorted alphabetically, grouped by domain with one
domain left out, or split into numbered piece files. It runs as a window
or, with options, from the command line.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
