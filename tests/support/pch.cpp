// The translation unit of the test programs' shared precompiled header (GoogleTest and standard headers).
