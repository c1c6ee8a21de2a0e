"""Prints the closing line of a test run from ctest's JUnit files: 'N passed, N failed'."""

import sys
import xml.etree.ElementTree as ET

passed = failed = skipped = 0
for path in sys.argv[1:]:
    try:
        cases = ET.parse(path).getroot().iter("testcase")
    except (OSError, ET.ParseError):
        print(f"missing test results: {path}")
        failed += 1
        continue
    for case in cases:
        status = case.get("status", "run")
        if case.find("failure") is not None or case.find("error") is not None or status == "fail":
            failed += 1
            print(f"FAILED: {case.get('name')}")
        elif case.find("skipped") is not None or status in ("notrun", "disabled"):
            skipped += 1
        else:
            passed += 1
print(f"{passed} passed, {failed} failed, {skipped} skipped")
sys.exit(1 if failed or not passed else 0)
