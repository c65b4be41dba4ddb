#!/bin/sh
# Runs the program under valgrind's memory checker, for `make test-valgrind`
# (the end-to-end tests start the program through DICESTAT_WRAPPER). A
# memory error or a definite leak makes the status 99 and shows a report on
# standard error, which the tests require to stay empty.
exec valgrind --quiet --vgdb=no --error-exitcode=99 --leak-check=full \
  --errors-for-leak-kinds=definite --show-leak-kinds=definite "$@"
