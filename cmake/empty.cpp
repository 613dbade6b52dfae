// Keeps a library target valid while its folder holds no source file yet.
