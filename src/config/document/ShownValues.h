#pragma once
// What the editor's controls show for a value form of the document, by the
// file's server version: whether they show the default, which default, and
// whether a flag is on. A 2.x file keeps the rules the pages were designed
// with; a 3.0+ file shows what its server reads.

#include <string>
#include <string_view>

#include "config/firebird/ParameterRules.h"
#include "config/firebird/ServerVersion.h"

// Whether a value shows the default rather than its own text: a commented
// one, and on 2.x (whose server takes an empty value for its default) an
// active one that is empty; 3.0+ reads an empty value as it is.
bool ShowsDefault(const DecodedValue& value, ServerVersion v);

// The default a parameter of the pages shows: on 2.x the one the pages were
// designed with; on 3.0+ the version's own (following ServerMode), or the
// designed one where the version does not read the parameter.
std::string DefaultShown(ParamKey key, ServerVersion v, bool superMode);

// Whether a flag (a check box, or a two-item list standing for 0 and 1)
// shows as on. 2.x: a commented or empty value shows the default; a flag on
// by default is on only for exactly "1", one off by default for anything but
// "0"; an absent one is off. 3.0+: what the server reads, on for a non-zero
// number or true, yes or y in any case, off for an empty value; a line that
// sets nothing shows the version's default (the 2.x rule where the version
// does not read the flag).
bool FlagShownOn(ParamKey key, const DecodedValue& value, ServerVersion v, bool superMode);

// Whether a value the server uses, as ServerValueOf writes it, is a flag
// that is on.
bool ServerValueIsOn(std::string_view serverValue);
