#!/bin/sh
# The backend of the tests' own print queues (tests/cupsserver.h): keeps each job's file as it arrived, in
# the folder the queue's device URI names (keepjob:/folder), as job-<id>.pdf, with job-<id>.info beside it
# (the job's title, its options and its document type, one a line). The .info is written first and the
# .pdf appears complete or not at all, so a test that sees the .pdf may read both.
#
# cupsd calls a backend without arguments to ask for its devices, and with
#   job-id user title copies options [file]
# to print; without the file the job comes on standard input.
if [ $# -eq 0 ]; then
    echo 'direct keepjob "Unknown" "Keeps each job file"'
    exit 0
fi
if [ $# -lt 5 ]; then
    echo "ERROR: usage: keepjob job-id user title copies options [file]" >&2
    exit 1
fi
folder=${DEVICE_URI#keepjob:}
job="$folder/job-$1"
if [ $# -ge 6 ]; then
    cat -- "$6" >"$job.part" || exit 1
else
    cat >"$job.part" || exit 1
fi
printf '%s\n%s\n%s\n' "$3" "$5" "${CONTENT_TYPE:-}" >"$job.info" || exit 1
mv -- "$job.part" "$job.pdf" || exit 1
exit 0
