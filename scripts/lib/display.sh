# Runs a command on a virtual X display of its own, for Wine's windows.
# Xvfb resets when its last client leaves and drops any client that connects meanwhile; Wine
# runs side by side come and go, so the server must not reset.
with_display() {
  xvfb-run -a -s "-noreset -screen 0 1280x1024x24" "$@"
}
