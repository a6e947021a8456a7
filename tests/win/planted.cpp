// Nothing: a DLL that the tests plant beside the program, which must not load it by name.
