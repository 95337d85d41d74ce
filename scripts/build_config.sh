# Sourced by the scripts: the one place that says how each build is configured.
#   configure_release [cmake args]   the optimised build users run (build/release)
#   configure_asan [cmake args]      Debug with AddressSanitizer and UBSan (build/debug-asan)
# ccache is used when installed; it changes nothing in what is compiled.

korvane_launcher() {
  if command -v ccache >/dev/null 2>&1; then
    echo "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
  fi
}

configure_release() {
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(korvane_launcher) "$@" >/dev/null
}

configure_asan() {
  cmake -S . -B build/debug-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVANE_SANITIZE=ON $(korvane_launcher) "$@" >/dev/null
}
