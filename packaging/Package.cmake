# `make package` / `cpack -G DEB`: a Debian package whose library dependencies
# come from dpkg-shlibdeps, so it installs with apt on a clean Debian 12.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME cantabilex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Cantabilex developers")
set(CPACK_PACKAGE_CONTACT "The Cantabilex developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "karaoke player with timed lyrics and CD+G graphics")
set(CPACK_PACKAGE_DESCRIPTION
    "Cantabilex plays karaoke songs and shows the words line by line, colouring each\n"
    "syllable, word or line as it is to be sung. It plays audio songs with LRS, LRC,\n"
    "KOK or Lyrics3 lyrics, MIDI and KAR songs, and MP3+G (CD+G) songs, also from\n"
    "zip archives. The package holds the player and the command-line tool cbx.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the X11/Wayland
# platform plugins, FFmpeg's libraries for video export and libebur128 for
# loudness (both opened on first use), cpp-httplib for the guests' request
# page (its server module is opened when the host switches the page on); a
# General MIDI SoundFont and picture formats are wanted.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libavcodec59, libavformat59, libswscale6, libavutil57, libebur128-1, libcpp-httplib0.11")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "timgm6mb-soundfont | fluid-soundfont-gm | sf2-soundfont, qt6-image-formats-plugins, qt6-wayland, fonts-dejavu-core")
include(CPack)
