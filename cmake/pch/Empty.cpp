// The translation unit that compiles the shared precompiled header.
