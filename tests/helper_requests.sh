# SPDX-License-Identifier: GPL-3.0-or-later
# Talking to the real helper from a shell: its fixed-size requests
# (drive/helper_protocol.h) as bytes, and what a test reads back from the
# helper and its process. Sourced by bash test scripts and by the test VM's
# busybox shell alike.

HELPER_REPLY_SIZE=544

helper_le32() {  # VALUE: four bytes, little-endian
  local v=$(($1))
  printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((v & 255)) $((v >> 8 & 255)) \
    $((v >> 16 & 255)) $((v >> 24 & 255)))"
}

helper_request() {  # OPERATION DRIVE OUTSIZE BUFFERSIZE REGISTERS: one 48-byte request
  # REGISTERS: features, sector count and number, cylinder low and high,
  # drive/head, command, as \x escapes (7 bytes).
  helper_le32 0x31415648  # "HVA1"
  helper_le32 "$1"
  helper_le32 "$2"
  helper_le32 "$3"
  helper_le32 "$4"
  printf "$5"
  head -c 21 /dev/zero
}

helper_open_request() { helper_request 1 "$1" 0 0 '\x00\x00\x00\x00\x00\x00\x00'; }
# IDENTIFY DEVICE as a data read; an NVMe drive gets Identify Controller.
helper_identify_request() { helper_request 0x7C088 0 528 512 '\x00\x01\x01\x00\x00\xa0\xec'; }

helper_reply_status() {  # FILE N: the HelperStatus of the Nth reply in FILE
  od -An -tu4 -j $((($2 - 1) * HELPER_REPLY_SIZE + 4)) -N4 "$1" | tr -d ' '
}

helper_wait_replies() {  # FILE N: true once FILE holds N replies (5 s at most)
  local _
  for _ in $(seq 100); do
    [ "$(wc -c <"$1")" -ge $(($2 * HELPER_REPLY_SIZE)) ] && return 0
    sleep 0.05
  done
  return 1
}

helper_wait_reading() {  # PID: true once the process waits in a read of a pipe
  local _
  for _ in $(seq 100); do
    case $(cat "/proc/$1/wchan" 2>/dev/null) in *pipe*) return 0 ;; esac
    sleep 0.05
  done
  return 1
}

helper_capabilities() {  # PID: "permitted effective" as numbers, from /proc
  local permitted effective
  permitted=$(sed -n 's/^CapPrm:[[:space:]]*//p' "/proc/$1/status" 2>/dev/null)
  effective=$(sed -n 's/^CapEff:[[:space:]]*//p' "/proc/$1/status" 2>/dev/null)
  [ -n "$permitted" ] && [ -n "$effective" ] || { echo "gone"; return; }
  echo "$((16#$permitted)) $((16#$effective))"
}
