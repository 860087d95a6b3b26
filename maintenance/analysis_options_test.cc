// Unit tests of the -a argument parser.
