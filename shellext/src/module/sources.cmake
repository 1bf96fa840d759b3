# Sources of vprshellext from src/module (see shellext/CMakeLists.txt).
