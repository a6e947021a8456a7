// Nothing: a DLL that lies beside the test program.
