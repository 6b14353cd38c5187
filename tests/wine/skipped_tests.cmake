# Test files the Windows build leaves out (paths below tests/), each for a
# reason the Windows fixtures cannot meet: they reach into the in-process
# simulator (its model, its pty) or Linux itself.
set(TVX_WINDOWS_SKIPPED_TESTS
)
