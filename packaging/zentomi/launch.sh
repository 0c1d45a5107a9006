#!/bin/sh
# Started by the console's launcher. Runs the reader from its own folder, so that its relative
# paths and the updater's install directory are this folder, and hands the reader's exit status
# back to the launcher: 42 means an update was installed and the reader is to be started again.
cd "$(dirname "$0")" || exit 1
./bin/zentomi-native64
exit $?
