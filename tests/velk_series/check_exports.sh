#!/bin/sh
# SPDX-FileCopyrightText: 2026 The Nuvrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Fails unless the shared library exports exactly the device commands, the message handler and the device
# listing and choice.
set -eu
library=$1
expected='AddHEX2DXF
AddToTable
AssociateWithTable
BootNextPage
BootPage
Bootloader
CalcCRC
CloseVelkDevice
CompareVersion
Compatibility
DetectSectorsTables
EraseSector
GetMaxSize
IsVelkBrivo
IsVelkDeviceProcessed
ListVelkDevices
ListVelkUsbIds
OpenVelkDevice
Read
ReadDeviceInfo
ReadErasingCount
ReadFileName
ReadRomID
ReadSector
ReturnFalseClear
SelectVelkDevice
SetVelkDeviceProcessed
SetVelkMessageHandler
Write
WriteFileName
WriteRamSector
WriteSector'
actual=$(nm -D --defined-only "$library" | awk '{ print $3 }' | grep -v '^_init$' | grep -v '^_fini$' | LC_ALL=C sort)
expected=$(printf '%s\n' "$expected" | LC_ALL=C sort)
if [ "$actual" != "$expected" ]; then
    echo "exported symbols of $library differ from the API:"
    printf '%s\n' "$expected" >/tmp/velk_expected.$$
    printf '%s\n' "$actual" >/tmp/velk_actual.$$
    diff /tmp/velk_expected.$$ /tmp/velk_actual.$$ || true
    rm -f /tmp/velk_expected.$$ /tmp/velk_actual.$$
    exit 1
fi
echo "$(printf '%s\n' "$actual" | wc -l) exports, as expected"
