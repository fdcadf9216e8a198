#!/usr/bin/env bash
# In a network namespace of its own with only loopback (and with a veth
# address added), the own address is what the interfaces say, never 127.x.
set -u
build=$2
tests="$build/tests/quor_platform_tests"
if ! unshare --net true 2>/dev/null; then
  echo "skipped: cannot make a network namespace here"; exit 0
fi
QUOR_EXPECT_OWN_ADDRESS=0.0.0.0 unshare --net -- sh -c "ip link set lo up; \"$tests\" --gtest_filter='OwnAddress.*'" \
  || { echo "FAIL: loopback-only namespace" >&2; exit 1; }
QUOR_EXPECT_OWN_ADDRESS=10.200.0.1 unshare --net -- sh -c "ip link set lo up; ip link add q0 type veth peer name q1 && ip addr add 10.200.0.1/24 dev q0 && ip link set q0 up && \"$tests\" --gtest_filter='OwnAddress.*'" \
  || { echo "FAIL: namespace with one interface" >&2; exit 1; }
echo "own address: ok"
