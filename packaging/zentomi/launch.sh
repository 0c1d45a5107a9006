#!/bin/sh
# Started by the console's launcher. Runs the reader from its own folder, so that its relative
# paths and the updater's install directory are this folder, keeps its output in zentomi.log and
# hands its exit status back to the launcher. Status 42 means an update was installed: the script
# then starts itself again from the new files, so the user lands in the new version.
#
# Everything is inside main, which ends in exit or exec: an update may rewrite this file while it
# runs, and the shell must never read on into the new text.

log=zentomi.log
# zentomi.log never grows past this many bytes: before a line would pass it, the older half goes.
log_limit=262144
# Longer lines are cut to this many bytes, so that one line cannot pass the limit.
line_limit=4096
# An update that ends with 42 at every start must not loop for ever: after this many restarts in
# a row, each following a run shorter than restart_window seconds, 42 goes back to the launcher.
restart_limit=3
restart_window=60

# Copies standard input into the log within log_limit. It reads to the end whatever happens
# (card full, no awk, no log), so that the reader never dies of SIGPIPE.
keep_log() {
  # Only a regular file can be the log: a FIFO would hold up the output for good, a folder takes
  # nothing. Anything else in its place goes when it can, or nothing is logged.
  if [ -e "$log" ] && [ ! -f "$log" ]; then rm -f "$log" 2>/dev/null; fi
  if [ -e "$log" ] && [ ! -f "$log" ]; then
    cat >/dev/null
    return
  fi
  # fold ends every line at line_limit + 1 bytes, so awk never holds more than that of a line
  # however long the output's lines are: a record of that width goes on in the next one, which
  # is dropped with the rest of the line (a line of exactly that width loses the line after it).
  LC_ALL=C fold -b -w $((line_limit + 1)) | LC_ALL=C awk -v file="$log" -v limit="$log_limit" \
    -v line_limit="$line_limit" '
    function cut(   line, skip, marker) {
      close(file)
      skip = size - int(limit / 2)
      marker = "[launch.sh: earlier output cut]"
      # Whatever is in the way (a FIFO would block) goes first.
      system("rm -f " file ".cut")
      print marker > (file ".cut")
      size = length(marker) + 1
      while ((getline line < file) > 0) {
        if (skip > 0) { skip -= length(line) + 1; continue }
        print line > (file ".cut")
        size += length(line) + 1
      }
      close(file)
      close(file ".cut")
      system("mv -f " file ".cut " file)
    }
    BEGIN {
      while ((getline line < file) > 0) size += length(line) + 1
      close(file)
    }
    {
      line = $0
      if (rest) {
        rest = length(line) > line_limit
        next
      }
      if (length(line) > line_limit) {
        rest = 1
        line = substr(line, 1, line_limit) " [cut]"
      }
      if (size + length(line) + 1 > limit) cut()
      print line >> file
      fflush(file)
      size += length(line) + 1
    }'
  cat >/dev/null
}

# Seconds since 1970, or 0 when date cannot say (every run then counts as short).
now() {
  seconds=$(date +%s 2>/dev/null)
  case $seconds in
    '' | *[!0-9]*) seconds=0 ;;
  esac
  echo "$seconds"
}

main() {
  cd "$(dirname "$0")" || exit 1

  # ZENTOMI_RESTARTS is set only by this script for its next start; the reader never sees it.
  restarts=${ZENTOMI_RESTARTS-}
  unset ZENTOMI_RESTARTS
  if [ -z "$restarts" ]; then
    # Started by the launcher: the last session's log becomes zentomi.log.old.
    rm -f "$log.cut"
    mv -f "$log" "$log.old" 2>/dev/null
    restarts=0
  fi
  case $restarts in
    *[!0-9]*) restarts=$restart_limit ;;
  esac

  started=$(now)
  # A pipeline's status is its last command's, so the reader's own travels on descriptor 3.
  status=$({ {
    ./bin/zentomi-native64 3>&-
    echo $? >&3
  } 2>&1 | keep_log >/dev/null 3>&-; } 3>&1)
  [ "$status" = 42 ] || exit "${status:-1}"

  if [ $(($(now) - started)) -ge "$restart_window" ]; then
    restarts=0
  fi
  if [ "$restarts" -ge "$restart_limit" ]; then
    echo "launch.sh: status 42 again after $restarts quick restarts; not starting it again" |
      keep_log
    exit 42
  fi
  restarts=$((restarts + 1))
  echo "launch.sh: status 42 (update installed); starting again ($restarts of $restart_limit)" |
    keep_log
  ZENTOMI_RESTARTS=$restarts
  export ZENTOMI_RESTARTS
  exec sh ./launch.sh "$@"
}

main "$@"; exit
