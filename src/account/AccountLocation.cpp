#include "account/AccountLocation.h"

#include <unistd.h>

#include <filesystem>

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "services/PropertyStore.h"
#include "services/PropsString.h"
#include "storage/ServerUri.h"

namespace orva::components {

using namespace automation;

namespace {

bool StartsWithNoCase(TextView text, TextView prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// "scheme:" of a URL-like value, at least two letters so that a drive-like "C:" is not taken for one.
bool HasForeignScheme(TextView value) {
    size_t colon = value.find(u':');
    if (colon == TextView::npos || colon < 2) return false;
    for (char16_t c : value.substr(0, colon)) {
        bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        if (!letter && c != u'+' && c != u'-' && c != u'.') return false;
    }
    return true;
}

}  // namespace

bool IsPostgresConnectString(std::string_view value) { return IsPostgresUri(value); }

std::string MaskedConnectString(std::string_view value) { return MaskPassword(value); }

std::string AccountAddress::DisplayName() const {
    return IsServer() ? MaskedConnectString(location) : location;
}

AccountAddress ParseConnectString(TextView connectString) {
    Text value = Trim(connectString);
    // Not repeated: the value may carry a password. A path or URI would end at the NUL.
    if (value.find(u'\0') != Text::npos)
        Raise(errors::kInvalidCall, u"the ConnectString holds a NUL character");
    TextView location = value;
    if (IsPostgresConnectString(ToUtf8Lossy(value))) {
        // Read strictly now (even a bare "postgresql://" reads: libpq's environment may name the
        // server and the database), so that a URI libpq would misread is refused before any
        // connection, with its password masked.
        std::string uri = ToUtf8(value);
        ParseServerUri(uri);
        return AccountAddress{std::move(uri), false, AccountKind::Postgres};
    }
    if (StartsWithNoCase(location, u"sqlite:")) {
        location.remove_prefix(7);
    } else if (HasForeignScheme(location) || location.find(u'=') != TextView::npos) {
        // The value itself is not repeated: another kind of connect string may carry a password.
        Raise(errors::kInvalidCall,
              u"the ConnectString names no account database (it must be \"sqlite:/path/account.db\", a "
              u"path, or a \"postgresql://\" URI)");
    }
    AccountAddress address;
    for (TextView suffix : {TextView(u"?mode=ro"), TextView(u"?mode=rw")}) {
        if (location.size() > suffix.size() &&
            EqualsNoCase(location.substr(location.size() - suffix.size()), suffix)) {
            address.readOnly = suffix == u"?mode=ro";
            location.remove_suffix(suffix.size());
            break;
        }
    }
    if (location.empty()) Raise(errors::kInvalidCall, u"the ConnectString names no file");
    address.location =
        std::filesystem::absolute(std::filesystem::path(ToUtf8(location))).lexically_normal().string();
    return address;
}

AccountAddress AccountFromPropsString(TextView propsString) {
    std::optional<Text> connectString = PropsEntry(propsString, u"ConnectString");
    if (!connectString || Trim(*connectString).empty()) {
        Raise(errors::kInvalidCall,
              u"no account database: the properties string (PropsString) has no "
              u"ConnectString");
    }
    return ParseConnectString(*connectString);
}

Text HostPropsString() {
    Variant value = SharedPropertyTable::Instance().Get(static_cast<int32_t>(getpid()), u"PropsString");
    return value.IsEmpty() || value.IsNull() ? Text() : value.ToText();
}

AccountAddress HostAccount() {
    Text propsString = HostPropsString();
    if (propsString.empty()) {
        Raise(errors::kInvalidCall,
              u"no account database: the host has published no properties string (PropsString)");
    }
    // The deployment engine asks for the account several times per entry, and parsing the string
    // costs more than the look-ups it leads to: each thread remembers its last answer. A relative
    // path depends on the current folder, so only an absolute one is remembered.
    thread_local Text lastProps;
    thread_local AccountAddress lastAddress;
    if (propsString == lastProps) return lastAddress;
    AccountAddress address = AccountFromPropsString(propsString);
    Text location = Trim(*PropsEntry(propsString, u"ConnectString"));
    TextView path = location;
    if (StartsWithNoCase(path, u"sqlite:")) path.remove_prefix(7);
    if (path.starts_with(u'/') || address.IsServer()) {
        lastProps = propsString;
        lastAddress = address;
    }
    return address;
}

}  // namespace orva::components
