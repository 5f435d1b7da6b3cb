"""Prints the ids of the end-to-end tests, separated by ";", so each becomes a CTest entry."""
import os
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)


def ids(suite):
    for test in suite:
        if isinstance(test, unittest.TestSuite):
            yield from ids(test)
        else:
            yield test.id()


loaded = unittest.defaultTestLoader.discover(HERE, pattern="test_*.py", top_level_dir=HERE)
print(";".join(sorted(ids(loaded))))
