#include "emulator/TargetChip.h"

#include <algorithm>

namespace emulator {

namespace {

constexpr unsigned CONFIG_AREA = 0x2000;
constexpr unsigned CONFIG_AREA_SIZE = 8;
constexpr unsigned ID_WORDS = 4;
constexpr unsigned DEVICE_ID_OFFSET = 6;
constexpr unsigned CONFIG_WORD_OFFSET = 7;
constexpr unsigned EEPROM_AREA = 0x2100;

// Flash cells are 14 bits wide and erase to all ones.
constexpr std::uint16_t WORD_MASK = 0x3FFF;
constexpr std::uint16_t ERASED_WORD = 0x3FFF;
constexpr std::uint8_t ERASED_BYTE = 0xFF;

// Code protection bits of the configuration word. 16F84A: CP in bits 13-4, all equal, 0
// protects all program memory and the data EEPROM. 16F877: CP1:CP0 in bits 5-4 and again in bits 13-12, 0 bits
// protect more; CPD (bit 8) at 0 protects the data EEPROM.
constexpr unsigned CP_84A_BIT = 0x0010;
constexpr unsigned CP_877_LOW_SHIFT = 4;
constexpr unsigned CP_877_HIGH_SHIFT = 12;
constexpr unsigned CPD_877_BIT = 0x0100;
constexpr unsigned CP_877_ALL = 0b00;
constexpr unsigned CP_877_UPPER_HALF = 0b01;   // 0x1000-0x1FFF
constexpr unsigned CP_877_LAST_PAGE = 0b10;    // 0x1F00-0x1FFF
constexpr unsigned UPPER_HALF_START = 0x1000;
constexpr unsigned LAST_PAGE_START = 0x1F00;

} // namespace

TargetChip::TargetChip(ChipKind kind)
    : profile_(&ProfileOf(kind)), program_(profile_->programWords), eeprom_(profile_->eepromBytes)
{
    BulkErase();
}

std::optional<unsigned> TargetChip::Cell(unsigned address) const
{
    if (address < profile_->programWords)
        return program_[address];
    if (address >= CONFIG_AREA && address < CONFIG_AREA + CONFIG_AREA_SIZE)
        return configArea_[address - CONFIG_AREA];
    if (address >= EEPROM_AREA && address < EEPROM_AREA + profile_->eepromBytes)
        return eeprom_[address - EEPROM_AREA];
    return std::nullopt;
}

bool TargetChip::SetCell(unsigned address, unsigned value)
{
    if (address < profile_->programWords)
        program_[address] = static_cast<std::uint16_t>(value & WORD_MASK);
    else if (address >= CONFIG_AREA && address < CONFIG_AREA + CONFIG_AREA_SIZE)
        configArea_[address - CONFIG_AREA] = static_cast<std::uint16_t>(value & WORD_MASK);
    else if (address >= EEPROM_AREA && address < EEPROM_AREA + profile_->eepromBytes)
        eeprom_[address - EEPROM_AREA] = static_cast<std::uint8_t>(value);
    else
        return false;
    return true;
}

unsigned TargetChip::ErasedCell(unsigned address) const
{
    if (address == CONFIG_AREA + DEVICE_ID_OFFSET)
        return profile_->deviceId;
    return address >= EEPROM_AREA ? ERASED_BYTE : ERASED_WORD;
}

std::vector<unsigned> TargetChip::Addresses() const
{
    std::vector<unsigned> addresses;
    addresses.reserve(profile_->programWords + CONFIG_AREA_SIZE + profile_->eepromBytes);
    for (unsigned a = 0; a < profile_->programWords; ++a)
        addresses.push_back(a);
    for (unsigned a = 0; a < CONFIG_AREA_SIZE; ++a)
        addresses.push_back(CONFIG_AREA + a);
    for (unsigned a = 0; a < profile_->eepromBytes; ++a)
        addresses.push_back(EEPROM_AREA + a);
    return addresses;
}

bool TargetChip::ProgramProtected(unsigned address) const
{
    const unsigned config = configArea_[CONFIG_WORD_OFFSET];
    if (profile_->kind == ChipKind::Pic16F84A)
        return (config & CP_84A_BIT) == 0;
    // Both copies of CP1:CP0 count; a 0 in either protects.
    const unsigned cp = (config >> CP_877_LOW_SHIFT) & (config >> CP_877_HIGH_SHIFT) & 0b11;
    switch (cp) {
    case CP_877_ALL:
        return true;
    case CP_877_UPPER_HALF:
        return address >= UPPER_HALF_START;
    case CP_877_LAST_PAGE:
        return address >= LAST_PAGE_START;
    default:
        return false;
    }
}

bool TargetChip::EepromProtected() const
{
    // The 16F84A's one CP setting also shuts the programmer out of its data EEPROM.
    if (profile_->kind == ChipKind::Pic16F84A)
        return (configArea_[CONFIG_WORD_OFFSET] & CP_84A_BIT) == 0;
    return (configArea_[CONFIG_WORD_OFFSET] & CPD_877_BIT) == 0;
}

std::uint16_t TargetChip::ReadProgram(unsigned address) const
{
    address %= profile_->programWords;
    // A protected location reads as 0 through the programming interface.
    return ProgramProtected(address) ? 0 : program_[address];
}

void TargetChip::WriteProgram(unsigned address, std::uint16_t word)
{
    address %= profile_->programWords;
    // Protected flash takes no new data until a bulk erase lifts the protection.
    if (!ProgramProtected(address))
        program_[address] = word & WORD_MASK;
}

std::uint16_t TargetChip::ReadConfigArea(unsigned offset) const
{
    return offset < CONFIG_AREA_SIZE ? configArea_[offset] : ERASED_WORD;
}

void TargetChip::WriteConfigArea(unsigned offset, std::uint16_t word)
{
    // Only the ID words and the configuration word are writable; 0x2004-0x2005 are reserved
    // and the device ID is fixed in the silicon.
    if (offset < ID_WORDS || offset == CONFIG_WORD_OFFSET)
        configArea_[offset] = word & WORD_MASK;
}

std::uint8_t TargetChip::ReadEeprom(unsigned offset) const
{
    return EepromProtected() ? 0 : eeprom_[offset % profile_->eepromBytes];
}

void TargetChip::WriteEeprom(unsigned offset, std::uint8_t value)
{
    if (!EepromProtected())
        eeprom_[offset % profile_->eepromBytes] = value;
}

bool TargetChip::IsBlank() const
{
    for (unsigned a = 0; a < profile_->programWords; ++a) {
        if (ReadProgram(a) != ERASED_WORD)
            return false;
    }
    for (unsigned offset = 0; offset < ID_WORDS; ++offset) {
        if (configArea_[offset] != ERASED_WORD)
            return false;
    }
    if (configArea_[CONFIG_WORD_OFFSET] != ERASED_WORD)
        return false;
    for (unsigned offset = 0; offset < profile_->eepromBytes; ++offset) {
        if (ReadEeprom(offset) != ERASED_BYTE)
            return false;
    }
    return true;
}

void TargetChip::BulkErase()
{
    std::fill(program_.begin(), program_.end(), ERASED_WORD);
    std::fill(eeprom_.begin(), eeprom_.end(), ERASED_BYTE);
    for (unsigned offset = 0; offset < CONFIG_AREA_SIZE; ++offset)
        configArea_[offset] = static_cast<std::uint16_t>(ErasedCell(CONFIG_AREA + offset));
}

} // namespace emulator
