// Placeholder translation unit until the library has sources of its own.
