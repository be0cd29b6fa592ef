#!/usr/bin/env python3
"""Runs the examples of the package guide and the README and compares what they
print with what the text shows. A fenced block is an example when the line
before it is a marker:

  <!-- example: file PATH -->      the block is the file's text (PATH in the
                                   repository, read as Windows-1251)
  <!-- example: session[; before: SHELL] -->
                                   "$ " lines are commands, the lines below
                                   each are what it prints; SHELL runs first
  <!-- example: run by ... -->     run by the named test instead

Every block runs in one scratch folder, in the order of the text; in commands
the repository's folders (scripts/, demo/, tests/, build/) are the checkout's.
Usage: guide-examples.py FILE...; exit status 1 when an example differs."""
import os
import re
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
MARKER = re.compile(r"^<!-- example: (.*?) -->$")


def examples(path):
    lines = open(path, encoding="utf-8").read().split("\n")
    for i, line in enumerate(lines):
        marker = MARKER.match(line)
        if not marker:
            continue
        if i + 1 >= len(lines) or not lines[i + 1].startswith("```"):
            yield i + 1, marker.group(1), None
            continue
        end = i + 2
        while end < len(lines) and not lines[end].startswith("```"):
            end += 1
        yield i + 1, marker.group(1), lines[i + 2:end]


def in_checkout(command):
    return re.sub(r"(^|[\s'\"])((?:scripts|demo|tests|build)/)", lambda m: m.group(1) + ROOT + "/" + m.group(2), command)


def run(command, folder):
    done = subprocess.run(["bash", "-c", command], cwd=folder, capture_output=True, env=dict(os.environ, ROOT=ROOT))
    return done.stdout.decode("utf-8", "replace") + done.stderr.decode("utf-8", "replace")


def check(kind, block, folder):
    """What is wrong with the example, or None."""
    if kind.startswith("run by "):
        return None
    if block is None:
        return "no fenced block follows the marker"
    if kind.startswith("file "):
        text = open(os.path.join(ROOT, kind[5:]), "rb").read().decode("cp1251").replace("\r\n", "\n")
        shown = "\n".join(block) + "\n"
        return None if text == shown else "the file holds:\n" + text
    if kind == "session" or kind.startswith("session; before: "):
        if kind != "session":
            run(kind[len("session; before: "):], folder)
        commands = [(n, line[2:]) for n, line in enumerate(block) if line.startswith("$ ")]
        for k, (n, command) in enumerate(commands):
            expected = block[n + 1:commands[k + 1][0] if k + 1 < len(commands) else len(block)]
            got = run(in_checkout(command), folder).rstrip("\n").split("\n")
            if got == [""]:
                got = []
            if got != expected:
                return "$ %s printed:\n%s" % (command, "\n".join(got))
        return None
    return "unknown marker"


def main():
    failed = count = 0
    with tempfile.TemporaryDirectory() as folder:
        for path in sys.argv[1:]:
            for line, kind, block in examples(path):
                count += 1
                problem = check(kind, block, folder)
                if problem:
                    failed += 1
                    print("%s:%d: example differs (%s): %s" % (path, line, kind[:40], problem))
    print("guide examples: %d checked, %d differ" % (count, failed))
    return 1 if failed or count == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
