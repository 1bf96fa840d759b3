# Sources of vprshellext from src/items (see shellext/CMakeLists.txt).
