// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "usb_descriptors.h"

#include <cstdio>
#include <cstdlib>

namespace velkusb {

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

std::string hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char two[3];
    for (std::uint8_t byte : bytes) {
        std::snprintf(two, sizeof two, "%02x", byte);
        text += two;
    }
    return text;
}

std::string hex4(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value);
    return text;
}

std::string three(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%03u", value);
    return text;
}

// An attribute line: the file holds the value and a line end, as sysfs files do.
std::string attribute(const std::string& name, const std::string& value) {
    return "A: " + name + "=" + value + "\\n\n";
}

std::vector<std::uint8_t> deviceDescriptor(std::uint16_t vendor, std::uint16_t product,
                                           std::uint8_t deviceClass, bool strings) {
    std::vector<std::uint8_t> d = {18, 0x01};
    put16(d, 0x0200);  // USB 2.0
    d.insert(d.end(), {deviceClass, 0, 0, 64});
    put16(d, vendor);
    put16(d, product);
    put16(d, 0x0100);
    d.insert(d.end(), {static_cast<std::uint8_t>(strings ? 1 : 0),
                       static_cast<std::uint8_t>(strings ? 2 : 0),
                       static_cast<std::uint8_t>(strings ? 3 : 0), 1});
    return d;
}

std::vector<std::uint8_t> configurationDescriptor() {
    std::vector<std::uint8_t> c = {9, 0x02};
    put16(c, 9 + 9 + 7 + 7);
    c.insert(c.end(), {1, 1, 0, 0x80, 50});                // 1 interface, bus powered, 100 mA
    c.insert(c.end(), {9, 0x04, 0, 0, 2, 0xFF, 0, 0, 0});  // vendor class, two endpoints
    c.insert(c.end(), {7, 0x05, kBulkIn, 0x02});
    put16(c, kPacketBytes);
    c.push_back(0);
    c.insert(c.end(), {7, 0x05, kBulkOut, 0x02});
    put16(c, kPacketBytes);
    c.push_back(0);
    return c;
}

std::vector<std::uint8_t> stringDescriptor(const std::string& text) {
    std::vector<std::uint8_t> s = {static_cast<std::uint8_t>(2 + 2 * text.size()), 0x03};
    for (char c : text) {
        put16(s, static_cast<std::uint8_t>(c));
    }
    return s;
}

}  // namespace

std::vector<std::uint8_t> velkDescriptors(const NodeDeviceConfig& config) {
    std::vector<std::uint8_t> all = deviceDescriptor(config.vendorId, config.productId, 0x00, true);
    const std::vector<std::uint8_t> configuration = configurationDescriptor();
    all.insert(all.end(), configuration.begin(), configuration.end());
    return all;
}

std::optional<std::vector<std::uint8_t>> descriptorAnswer(const NodeDeviceConfig& config,
                                                          std::uint16_t value,
                                                          std::uint16_t index) {
    const unsigned type = value >> 8;
    const unsigned number = value & 0xFF;
    (void)index;
    if (type == 0x01) {
        return deviceDescriptor(config.vendorId, config.productId, 0x00, true);
    }
    if (type == 0x02 && number == 0) {
        return configurationDescriptor();
    }
    if (type == 0x03) {
        switch (number) {
            case 0:
                return std::vector<std::uint8_t>{4, 0x03, 0x09, 0x04};  // English (US)
            case 1:
                return stringDescriptor(config.manufacturer);
            case 2:
                return stringDescriptor(config.product);
            case 3:
                return stringDescriptor(config.serial);
            default:
                break;
        }
    }
    return std::nullopt;
}

std::optional<PortPath> parsePort(const std::string& text) {
    PortPath path;
    const std::size_t dash = text.find('-');
    if (dash == std::string::npos || dash == 0) {
        return std::nullopt;
    }
    char* end = nullptr;
    path.bus = static_cast<unsigned>(std::strtoul(text.c_str(), &end, 10));
    if (end != text.c_str() + dash || path.bus == 0 || path.bus > 127) {
        return std::nullopt;
    }
    std::size_t start = dash + 1;
    while (start <= text.size()) {
        const std::size_t dot = text.find('.', start);
        const std::string part = text.substr(start, dot - start);
        const unsigned long port = std::strtoul(part.c_str(), &end, 10);
        if (part.empty() || *end != '\0' || port == 0 || port > 31) {
            return std::nullopt;
        }
        path.ports.push_back(static_cast<unsigned>(port));
        if (dot == std::string::npos) {
            break;
        }
        start = dot + 1;
    }
    return path;
}

std::string velkSysfsEntry(const NodeDeviceConfig& config, const std::string& parentPath,
                           unsigned devnum) {
    const auto port = parsePort(config.port);
    const unsigned bus = port ? port->bus : 1;
    const std::string node = "bus/usb/" + three(bus) + "/" + three(devnum);
    std::string devpath;
    if (port) {
        for (std::size_t i = 0; i < port->ports.size(); ++i) {
            devpath += (i == 0 ? "" : ".") + std::to_string(port->ports[i]);
        }
    }
    std::string entry;
    entry += "P: " + parentPath + "/" + config.port + "\n";
    entry += "N: " + node + "\n";
    entry += "E: SUBSYSTEM=usb\n";
    entry += "E: DEVTYPE=usb_device\n";
    entry += "E: DRIVER=usb\n";
    entry += "E: DEVNAME=/dev/" + node + "\n";
    entry += "E: BUSNUM=" + three(bus) + "\n";
    entry += "E: DEVNUM=" + three(devnum) + "\n";
    entry += "E: MAJOR=189\n";
    entry += "E: MINOR=" + std::to_string((bus - 1) * 128 + devnum - 1) + "\n";
    char product[32];
    std::snprintf(product, sizeof product, "%x/%x/100", config.vendorId, config.productId);
    entry += "E: PRODUCT=" + std::string(product) + "\n";
    entry += "E: TYPE=0/0/0\n";
    entry += "E: ID_VENDOR_ID=" + hex4(config.vendorId) + "\n";
    entry += "E: ID_MODEL_ID=" + hex4(config.productId) + "\n";
    entry += "E: ID_SERIAL_SHORT=" + config.serial + "\n";
    entry += attribute("idVendor", hex4(config.vendorId));
    entry += attribute("idProduct", hex4(config.productId));
    entry += attribute("bcdDevice", "0100");
    entry += attribute("manufacturer", config.manufacturer);
    entry += attribute("product", config.product);
    if (!config.serial.empty()) {
        entry += attribute("serial", config.serial);
    }
    entry += attribute("busnum", std::to_string(bus));
    entry += attribute("devnum", std::to_string(devnum));
    entry += attribute("devpath", devpath);
    entry += attribute("speed", "12");
    entry += attribute("version", " 2.00");
    entry += attribute("bConfigurationValue", "1");
    entry += attribute("bNumConfigurations", "1");
    entry += attribute("bNumInterfaces", " 1");
    entry += attribute("bDeviceClass", "00");
    entry += attribute("bDeviceSubClass", "00");
    entry += attribute("bDeviceProtocol", "00");
    entry += attribute("bMaxPacketSize0", "64");
    entry += attribute("bmAttributes", "80");
    entry += attribute("bMaxPower", "100mA");
    entry += attribute("maxchild", "0");
    entry += attribute("removable", "removable");
    entry += "H: descriptors=" + hex(velkDescriptors(config)) + "\n";
    return entry;
}

std::string hubSysfsEntry(const std::string& sysPath, const std::string& port, unsigned bus,
                          unsigned devnum) {
    const bool root = port.empty();
    const std::string node = "bus/usb/" + three(bus) + "/" + three(devnum);
    std::vector<std::uint8_t> descriptors =
        deviceDescriptor(root ? 0x1d6b : 0x05e3, root ? 0x0002 : 0x0608, 0x09, false);
    std::vector<std::uint8_t> hubConfiguration = {9, 0x02, 25,   0,    1, 1, 0, 0xE0, 0,
                                                  9, 0x04, 0,    0,    1, 9, 0, 0,    0,
                                                  7, 0x05, 0x81, 0x03, 4, 0, 12};
    descriptors.insert(descriptors.end(), hubConfiguration.begin(), hubConfiguration.end());
    std::string entry;
    entry += "P: " + sysPath + "\n";
    entry += "N: " + node + "\n";
    entry += "E: SUBSYSTEM=usb\n";
    entry += "E: DEVTYPE=usb_device\n";
    entry += "E: DRIVER=usb\n";
    entry += "E: DEVNAME=/dev/" + node + "\n";
    entry += "E: BUSNUM=" + three(bus) + "\n";
    entry += "E: DEVNUM=" + three(devnum) + "\n";
    entry += attribute("idVendor", root ? "1d6b" : "05e3");
    entry += attribute("idProduct", root ? "0002" : "0608");
    entry += attribute("busnum", std::to_string(bus));
    entry += attribute("devnum", std::to_string(devnum));
    entry += attribute("devpath", root ? "0" : port.substr(port.find('-') + 1));
    entry += attribute("speed", "480");
    entry += attribute("bConfigurationValue", "1");
    entry += attribute("bNumConfigurations", "1");
    entry += attribute("bNumInterfaces", " 1");
    entry += attribute("bDeviceClass", "09");
    entry += attribute("maxchild", "4");
    entry += "H: descriptors=" + hex(descriptors) + "\n";
    return entry;
}

}  // namespace velkusb
