"""The tkdec table generator: reads a build description, checks it and
writes the constant C++ tables of one firmware build."""
