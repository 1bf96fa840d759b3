# Sources of vprshellext from src/cache (see shellext/CMakeLists.txt).
