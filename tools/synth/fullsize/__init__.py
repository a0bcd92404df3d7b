"""A full-size synthetic build description, written from a seed."""
