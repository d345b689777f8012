# What `cmake --install` puts where, and the Debian package.
