# The Debian packages, by CPack from the install components: morvexa-cli
# (cli, no Qt) and morvexa (window; it runs without morvexa-cli), each with
# its debug symbols in a -dbgsym package and its dependencies found by
# dpkg-shlibdeps. scripts/package builds them hardened and checks them.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morvexa)
set(CPACK_PACKAGE_VENDOR ${MORVEXA_DEVELOPERS})
set(CPACK_PACKAGE_CONTACT ${MORVEXA_MAINTAINER})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL cli)
if(MORVEXA_BUILD_UI)
  list(APPEND CPACK_COMPONENTS_ALL window)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${MORVEXA_DEBIAN_REVISION})
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Each description's first line is its package's synopsis; with no common
# summary, CPack puts none of its own before them.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")
set(CPACK_DEBIAN_CLI_PACKAGE_NAME morvexa-cli)
set(CPACK_DEBIAN_CLI_DESCRIPTION "\
draw Chinese characters and pictures as text pictures - command line
${MORVEXA_DESCRIPTION}

This package holds morvexa-cli, which draws the same art as the window on
the terminal or into files, from scripts, with no display.")
set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME morvexa)
set(CPACK_DEBIAN_WINDOW_DESCRIPTION "\
draw Chinese characters and pictures as text pictures - window
${MORVEXA_DESCRIPTION}

This package holds the window (Qt 6). It shows the art in the Song
typeface AR PL UMing CN, whose Chinese characters are exactly twice as
wide as ASCII ones.")
set(CPACK_DEBIAN_WINDOW_PACKAGE_RECOMMENDS "fonts-arphic-uming, qt6-translations-l10n")

include(CPack)
