// Placeholder so that a folder with no sources yet still builds a library.
