#!/usr/bin/env python3
"""Runs the feed-parsing conformance corpus against quorvane-cli and fails
when fewer than the required share of documents pass."""
import re
import subprocess
import sys

check, cli, required = sys.argv[1], sys.argv[2], float(sys.argv[3])
run = subprocess.run([sys.executable, check, "--cmd", cli + " parse --json {file}", "-j", "2"],
                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
print(run.stdout)
found = re.search(r"^(\d+) passed, (\d+) failed$", run.stdout, re.M)
if not found:
    sys.exit("no result line from the checker")
passed, failed = int(found.group(1)), int(found.group(2))
share = passed / max(1, passed + failed)
print("conformance: %.1f %% passed (required %.1f %%)" % (share * 100, required * 100))
sys.exit(0 if share >= required else 1)
