# The Debian package of the Linux tools: `cpack --preset deb` after a build
# with the deb preset. dpkg-shlibdeps works out the libraries it depends on.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_CONTACT "Velmora developers <velmora@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "random desktop wallpapers")
set(CPACK_PACKAGE_DESCRIPTION
    "velmora makes new, randomly generated desktop wallpapers and shows them on GNOME,\n\
Budgie, Cinnamon, MATE, XFCE, KDE Plasma, LXQt, LXDE, sway and other Wayland\n\
compositors, or on a bare X11 display. kestrin builds install packs for the\n\
Windows installer.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Bare X11 and Wayland sessions need one of these to show the picture.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "feh | xwallpaper | hsetroot, swaybg")
set(CPACK_STRIP_FILES ON)
include(CPack)
