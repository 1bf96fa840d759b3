// Administrative edits of a tree store with values given as text (the forms
// of value_codec.h): what the vprdir command and the test seeding helper do.
// Names here are complete names, with or without a leading period.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "vpr/directory/store.h"

namespace vpr::directory {

using TextValues = std::vector<std::pair<std::string, std::vector<std::string>>>;

// A short English text for a DIR_ERR_* status.
std::string StatusText(int status);

int ParseFullName(const std::string& text, NameParts* name);
// Values given as text, converted by each attribute's syntax.
int ValuesFromText(Store& store, const TextValues& texts, std::vector<Change>* changes);

int AddObjectFromText(Store& store, const std::string& name, const std::string& className,
                      const TextValues& values = {});
// Replaces every value of the attribute (no texts: removes them all).
int SetValuesFromText(Store& store, const std::string& object, const std::string& attribute,
                      const std::vector<std::string>& texts);
// Adds `member` to the group: "Member" on the group and "Group Membership"
// on the member, in one go.
int AddGroupMember(Store& store, const std::string& group, const std::string& member);
// Sets the trustee's rights on the object's attribute ("[Entry Rights]",
// "[All Attributes Rights]" or an attribute name); 0 removes the grant.
int GrantRights(Store& store, const std::string& object, const std::string& trustee,
                const std::string& attribute, uint32_t rights);
// Gives a stream attribute a value holding `content`.
int SetStream(Store& store, const std::string& object, const std::string& attribute,
              const std::vector<uint8_t>& content);
// Every object under the root with its values, one object per paragraph;
// with `schema`, the classes and attributes first.
int DumpTree(Store& store, bool schema, std::string* text);

}  // namespace vpr::directory
