# Sources of vprshellext from src/namespace (see shellext/CMakeLists.txt).
