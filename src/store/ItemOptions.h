#pragma once
// What an item may have besides its usermessagetype row, kept in a table of its own
// (userdata_itemoptions, one row per item that has any; an item without a row has the defaults):
//   OwnSchedule      1: the timer checks the item every CheckInterval seconds, not at every run
//   ExpectMinutes    the item counts as silent when nothing new came for longer (0: never)
//   PinnedCertificate the SHA-256 fingerprint (64 lowercase hex digits) of the one server
//                    certificate the item trusts besides the system's (empty: none)
//   MailPreview      1: a mail item's findings may be shown as a preview (the default)
//
// Errors: false or nullopt with the database's own words in error; nothing is shown.
#include <map>
#include <optional>
#include <string>

class CAdoConnection;

struct ItemOptions
{
    int messagetypeid = 0;
    bool ownSchedule = false;
    int expectMinutes = 0;
    std::string pinnedCertificate;
    bool mailPreview = true;

    bool operator==(const ItemOptions&) const = default;
};

// The item's options; the defaults when it has no row.
std::optional<ItemOptions> LoadItemOptions(CAdoConnection& connection, int messagetypeid, std::string& error);
// Every item's row, by key (items without one are missing: they have the defaults).
std::optional<std::map<int, ItemOptions>> LoadAllItemOptions(CAdoConnection& connection, std::string& error);
// Inserts or replaces the item's row.
bool SaveItemOptions(CAdoConnection& connection, const ItemOptions& options, std::string& error);
bool DeleteItemOptions(CAdoConnection& connection, int messagetypeid, std::string& error);

// A fingerprint as the user may type or paste it ("AB:CD:..." or with blanks): 64 lowercase hex
// digits, or empty when it is not one.
std::string NormalizeFingerprint(const std::string& text);
// The fingerprint a failed check named ("… SHA-256 指纹 AB:CD:…" in its status text), normalized;
// empty when the text names none.
std::string FingerprintInText(const std::string& text);
