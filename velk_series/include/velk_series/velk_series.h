// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

/* velk_series: host-side access to a Velk series cartridge storage device.
 *
 * Plain C interface. Every buffer and record passed in is owned by the caller; the library keeps
 * no reference to it after the call returns. Library state (pipe pair, open count, shared command
 * blocks, busy flag) is process-wide and unsynchronised: callers serialise device use with the
 * busy flag.
 *
 * On 32-bit Windows every export is __stdcall and carries the decorated name _Name@N.
 */
#ifndef VELK_SERIES_VELK_SERIES_H
#define VELK_SERIES_VELK_SERIES_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define VELK_CALL __stdcall
#if defined(VELK_SERIES_BUILDING)
#define VELK_EXPORT
#else
#define VELK_EXPORT __declspec(dllimport)
#endif
#else
#define VELK_CALL
#if defined(VELK_SERIES_BUILDING)
#define VELK_EXPORT __attribute__((visibility("default")))
#else
#define VELK_EXPORT
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* A one-byte boolean: 1 = true, 0 = false. */
typedef uint8_t VelkBool;

/* A reference to the library's one pipe pair, or VELK_INVALID_DEVICE when no device could be
 * opened. Callers only compare it with VELK_INVALID_DEVICE and pass it back. */
typedef void* DeviceHandle;
#define VELK_INVALID_DEVICE ((DeviceHandle)(intptr_t)-1)

/* Flash chip identifier: manufacturer word in the high 16 bits, device word in the low 16. */
typedef uint32_t ChipId;
#define VELK_UNKNOWN_CHIP ((ChipId)0x00FFFFFFu)

/* Set by ReadRomID and adjusted by DetectSectorsTables; tells the ROM writer how to erase. */
typedef uint32_t EraseHint;
#define VELK_ERASE_HINT_NONE 0u
#define VELK_ERASE_HINT_TEXT_CHIP 1u
#define VELK_ERASE_HINT_QUERIED 6u

/* Information selectors. */
#define VELK_SELECTOR_DATA_BUS 0x55u
#define VELK_SELECTOR_ADDRESS_BUS 0xAAu

/* Compatibility values sent by the application. */
#define VELK_COMPAT_QUERY 0x80u
#define VELK_COMPAT_STORE_BASE 0x40u
#define VELK_COMPAT_ROM_MODE 0x21u
#define VELK_COMPAT_SAVE_RAM_MODE 0x23u

/* File-name slots. */
#define VELK_SLOT_ROM_NAME 0u
#define VELK_SLOT_SAVE_NAME 2u
#define VELK_FILE_NAME_SIZE 64u

/* Erase codes for EraseSector. */
#define VELK_ERASE_SECTOR 0x00u
#define VELK_ERASE_CHIP 0x10u
#define VELK_CHIP0_COMMAND_ADDRESS 0x000555u
#define VELK_CHIP1_COMMAND_ADDRESS 0x100555u

/* Transfer counts are in 64-byte units. */
#define VELK_UNIT_BYTES 64u

typedef struct DeviceInfoRecord {
    char firmwareVersion[16]; /* "%.2X.%.2X.%.2X%C"; character 8 is the model letter (0x55) */
    char bootVersion[16];
    char text1[24];        /* crystal name */
    char text2[24];        /* selector 0x55: internal ROM chip(s) */
    char text3[24];        /* selector 0x55: internal RAM chip(s) */
    char addressText2[16]; /* selector 0xAA: SCI implementation version */
} DeviceInfoRecord;

typedef struct SectorEntry {
    char name[12];        /* up to seven characters padded with spaces, zero-terminated */
    uint32_t wordAddress; /* first word of the sector */
    uint32_t end;         /* byte address just past the sector */
    uint32_t size;        /* bytes */
    ChipId chipId;
    uint8_t chipIndex;
    uint8_t reserved[3];
} SectorEntry;

#define VELK_SECTOR_TABLE_ROWS 100
typedef SectorEntry SectorTable[VELK_SECTOR_TABLE_ROWS];

/* The library's own messages go through this handler. Without one they are written to stderr.
 * The handler may be called on any thread that calls into the library. There are three, and
 * the ID file's bad lines (see ListVelkDevices below):
 *   - GetMaxSize, asked to show it, without a device: text "Device Not Detected!", caption ""
 *     (an empty caption: the program shows its own name), icon VELK_ICON_ERROR; not when the
 *     open failed for a known reason (below), which was given instead;
 *   - DetectSectorsTables with an unrecognised first chip: text
 *     "Unknown interanl chips with ID's:[%.8X][%.8X]" (both identifiers as read, chip 0 first),
 *     caption "Error", icon VELK_ICON_ERROR;
 *   - OpenVelkDevice that found a device but could not open it for a known reason (another
 *     program uses it, no permission): a one-line reason, caption "", icon VELK_ICON_REFUSAL;
 *     once per failed open, also the opens IsVelkBrivo and GetMaxSize make when given no
 *     device. The texts are "Velk device in use by another program" and, on Linux, "No
 *     permission to open the Velk device: install the udev rule
 *     velk_series/udev/70-velk-series.rules (README.md, "USB access on Linux")".
 *     A program shows it where the user asked for the device, not on every background query.
 * The message is modal in the program: the library waits until the handler returns. */
typedef enum VelkMessageIcon {
    VELK_ICON_NONE = 0,
    VELK_ICON_ERROR = 1,
    VELK_ICON_REFUSAL = 2
} VelkMessageIcon;
typedef void(VELK_CALL* VelkMessageHandler)(void* context, const char* caption, const char* text,
                                            int icon);

/* --- transport and busy flag --- */
VELK_EXPORT DeviceHandle VELK_CALL OpenVelkDevice(void);
VELK_EXPORT void VELK_CALL CloseVelkDevice(DeviceHandle device);
VELK_EXPORT int VELK_CALL Write(DeviceHandle device, const void* buffer, uint32_t count,
                                uint32_t* transferred, void* overlapped);
VELK_EXPORT int VELK_CALL Read(DeviceHandle device, void* buffer, uint32_t count,
                               uint32_t* transferred, void* overlapped);
VELK_EXPORT uint8_t VELK_CALL IsVelkDeviceProcessed(void);
VELK_EXPORT uint8_t VELK_CALL SetVelkDeviceProcessed(uint8_t value);
VELK_EXPORT VelkBool VELK_CALL ReturnFalseClear(void);

/* --- identity and information --- */
VELK_EXPORT VelkBool VELK_CALL ReadDeviceInfo(DeviceHandle device, DeviceInfoRecord* record,
                                              uint8_t selector);
VELK_EXPORT VelkBool VELK_CALL CompareVersion(DeviceInfoRecord record, uint32_t major,
                                              uint32_t minor, uint32_t patch);
VELK_EXPORT ChipId VELK_CALL ReadRomID(DeviceHandle device, uint8_t chip, EraseHint* hint);
VELK_EXPORT VelkBool VELK_CALL IsVelkBrivo(DeviceHandle device);
VELK_EXPORT uint32_t VELK_CALL GetMaxSize(DeviceHandle device, uint32_t* saveRamValue,
                                          int showMessage);
VELK_EXPORT uint8_t VELK_CALL Compatibility(DeviceHandle device, uint8_t value);
VELK_EXPORT VelkBool VELK_CALL ReadErasingCount(DeviceHandle device, uint32_t* counter,
                                                uint8_t mode);
VELK_EXPORT VelkBool VELK_CALL ReadFileName(DeviceHandle device, char* buffer, uint8_t slot);
VELK_EXPORT VelkBool VELK_CALL WriteFileName(DeviceHandle device, char* name, uint8_t slot);

/* --- sector tables, erase, program --- */
VELK_EXPORT VelkBool VELK_CALL DetectSectorsTables(DeviceHandle device, SectorEntry* table,
                                                   EraseHint* hint);
VELK_EXPORT VelkBool VELK_CALL AssociateWithTable(ChipId* id, SectorEntry* table,
                                                  uint32_t chipIndex, EraseHint* hint);
VELK_EXPORT int32_t VELK_CALL AddToTable(SectorEntry* table, const SectorEntry* templateRows,
                                         ChipId id, uint32_t chipIndex);
VELK_EXPORT VelkBool VELK_CALL EraseSector(DeviceHandle device, uint32_t wordAddress, uint8_t wait,
                                           uint8_t code);
VELK_EXPORT VelkBool VELK_CALL ReadSector(DeviceHandle device, void* buffer, uint32_t wordAddress,
                                          uint8_t count);
VELK_EXPORT VelkBool VELK_CALL WriteSector(DeviceHandle device, const void* buffer,
                                           uint32_t wordAddress, uint8_t count);
VELK_EXPORT VelkBool VELK_CALL WriteRamSector(DeviceHandle device, const void* buffer,
                                              uint32_t wordAddress, uint8_t count);

/* --- boot loader --- */
VELK_EXPORT VelkBool VELK_CALL Bootloader(DeviceHandle device, uint8_t flag, uint8_t mode);
VELK_EXPORT VelkBool VELK_CALL BootPage(DeviceHandle device, uint32_t page, uint32_t ignored);
VELK_EXPORT VelkBool VELK_CALL BootNextPage(DeviceHandle device, const uint8_t* page);
VELK_EXPORT uint8_t VELK_CALL CalcCRC(const uint8_t* data, uint32_t length);
VELK_EXPORT VelkBool VELK_CALL AddHEX2DXF(uint32_t first, uint32_t second);

/* --- program integration (not one of the device commands) --- */
VELK_EXPORT void VELK_CALL SetVelkMessageHandler(VelkMessageHandler handler, void* context);

/* --- finding and choosing a device (not device commands) ---
 * Devices come in a stable order: USB devices by bus and port number, then virtual devices
 * (velk-sim) by socket path. OpenVelkDevice takes the first that opens, unless a selector chose
 * others. A USB device is a Velk device when its ID is built in or listed in an ID file
 * (/etc/velk-series/usb-ids, then $XDG_CONFIG_HOME/velk-series/usb-ids or
 * ~/.config/velk-series/usb-ids; "VVVV:PPPP [description]" a line, '#' comments) and it has
 * one interface with one bulk IN and one bulk OUT endpoint of 64-byte packets. A bad line is
 * named through the message handler (caption "", icon VELK_ICON_ERROR, once per change of the
 * file) and skipped. A listed device of another shape is refused with the text "The Velk
 * device's USB ID is listed, but it has no interface with one bulk IN and one bulk OUT
 * endpoint of 64-byte packets: check the USB ID files" (icon VELK_ICON_REFUSAL). */
#define VELK_LIST_UNLISTED_USB 0x1u /* also USB devices off the ID list with the right shape */
#define VELK_LIST_TRY_OPEN 0x2u     /* open each free-looking Velk device briefly, and close it */

typedef struct VelkDeviceListing {
    char path[256];        /* what OpenVelkDevice opens ("usb:1-4.2", "sim:/run/.../x.sock");
                              empty for a device off the ID list, which is never opened */
    char name[64];         /* "1-4.2" for USB, "sim:NAME" for velk-sim */
    char serial[128];      /* empty when the device has none */
    char description[128]; /* from the ID list */
    char problem[256];     /* why it cannot be used; empty when nothing is known against it */
    uint16_t vendorId;
    uint16_t productId;
    uint8_t hasUsbId; /* 0 for virtual devices */
    uint8_t listed;   /* 0: off the ID list, shown only to help find the device's ID */
    uint8_t reserved[2];
} VelkDeviceListing;

typedef struct VelkUsbId {
    uint16_t vendorId;
    uint16_t productId;
    char description[128];
    char source[256]; /* "built-in" or the ID file */
} VelkUsbId;

/* Fills up to capacity entries (entries may be null when capacity is 0) and returns how many
 * devices there are. Nothing is sent to a device off the ID list, with or without TRY_OPEN. */
VELK_EXPORT uint32_t VELK_CALL ListVelkDevices(VelkDeviceListing* entries, uint32_t capacity,
                                               uint32_t flags);
/* The device later opens take: a USB path ("1-4.2"), "VVVV:PPPP", a serial number, "sim:NAME"
 * or a full device path; null or "" takes the first device again. Returns how many Velk devices
 * present now match it. An open device stays open; the choice applies to the next open that
 * finds a device afresh (open count 0). */
VELK_EXPORT uint32_t VELK_CALL SelectVelkDevice(const char* selector);
/* The built-in IDs, then the ID files' (each once); returns how many there are. */
VELK_EXPORT uint32_t VELK_CALL ListVelkUsbIds(VelkUsbId* ids, uint32_t capacity);

#ifdef __cplusplus
}
#endif

#endif /* VELK_SERIES_VELK_SERIES_H */
