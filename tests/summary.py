#!/usr/bin/env python3
"""Prints the one result line of a test run: "N passed, N failed[, N skipped]".

Each build tree's CTest JUnit file lists the test programs. A GoogleTest program
counts its cases (from its own XML); any other test counts as one. A program that
failed without a failing case (a crash, a timeout) counts one failure more.
Exits non-zero when anything failed or nothing ran."""
import os
import sys
import xml.etree.ElementTree as ET

passed = failed = skipped = 0
failures = []
for build in sys.argv[1:]:
    junit = os.path.join(build, "ctest-junit.xml")
    if not os.path.exists(junit):
        failed += 1
        failures.append(f"{build}: tests did not run")
        continue
    for case in ET.parse(junit).getroot().iter("testcase"):
        name = case.get("name")
        status = case.get("status")
        ctest_failed = status not in ("run", "passed") and status != "disabled" or case.find("failure") is not None
        if case.find("skipped") is not None or status in ("notrun", "disabled"):
            ctest_failed = case.find("failure") is not None
        gtest_xml = os.path.join(build, "test-results", name + ".xml")
        if os.path.exists(gtest_xml):
            gp = gf = gs = 0
            for g in ET.parse(gtest_xml).getroot().iter("testcase"):
                if g.find("failure") is not None:
                    gf += 1
                    failures.append(f"{name}: {g.get('classname')}.{g.get('name')}")
                elif g.find("skipped") is not None or g.get("result") == "skipped":
                    gs += 1
                else:
                    gp += 1
            if ctest_failed and gf == 0:
                gf = 1
                failures.append(f"{name}: program failed (crash or timeout)")
            passed, failed, skipped = passed + gp, failed + gf, skipped + gs
        elif ctest_failed:
            failed += 1
            failures.append(name)
        else:
            passed += 1

for f in failures:
    print("FAILED:", f)
line = f"{passed} passed, {failed} failed"
if skipped:
    line += f", {skipped} skipped"
print(line)
sys.exit(1 if failed or passed == 0 else 0)
