// The way back: the GPD selections the core driver reads from a PrintTicket, by the naming
// tables of schema_mapping.h run backwards, and what in the ticket it cannot map.
#pragma once

#include <print_schema/schema_mapping.h>

#include <platform/com_ptr.h>

#include <set>
#include <string>
#include <vector>

namespace print_schema {

struct TicketReading {
    // Every feature of the default DEVMODE, with the option the ticket selects where it names
    // one the GPD has.
    gpd::Selections selections;
    // The GPD features whose option came from the ticket.
    std::set<std::string, std::less<>> fromTicket;
    // One line each, starting with what kind of note it is: "not mapped: feature ns0000:Foo",
    // "not mapped: option ...", "ambiguous: ...", "not read back: ...".
    std::vector<std::string> notes;
};

// Reads `ticket` as the core driver does once the plug-ins are done with it: the default
// DEVMODE's `defaults` are loaded first, then each psf:Feature of the ticket, nested ones too, is
// looked up among the GPD's features by its (namespace, local name), its prefix resolved by the
// ticket's own declarations, and its first option among that feature's options the same way.
// A name several GPD options share selects the first of them in GPD order, and is noted; a
// feature or option the GPD lacks keeps the default and is noted. Parameters are no GPD
// selection and are noted as not read back. False with a one-line error when the DOM fails.
bool ReadTicket(const NamingContext& context, IXMLDOMDocument2* ticket, const gpd::Selections& defaults,
                TicketReading& reading, std::string& error);

// "FEATURE=OPTION" for each selection, in the GPD's feature order, separated by blanks.
std::string SelectionsText(const gpd::GpdModel& model, const gpd::Selections& selections);

}  // namespace print_schema
