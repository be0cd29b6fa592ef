#!/bin/bash
# Succeeds when this machine's Wine can run 32-bit programs (the kernel may
# have its 32-bit emulation switched off, as in some virtual machines).
/usr/lib/wine/wine --version >/dev/null 2>&1
