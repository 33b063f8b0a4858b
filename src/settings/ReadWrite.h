#pragma once

#include <QString>

namespace nw {

// Single keys of an INI file, with the limits the favourites file has always had. Failures
// other than the two refusals below go to ReportError as module "ReadWrite".

// Nonzero when written, 0 when the write failed, -1 (after a message, nothing written) when the
// key or the value has 256 characters or more. The section name is not checked.
int WriteToFile(const QString& section, const QString& key, const QString& value,
                const QString& file);

// The value, cut to 254 characters; an empty text when the file, section or key is missing.
QString ReadFromFile(const QString& section, const QString& key, const QString& file);

// Nonzero when done (also when there was nothing to delete), 0 when it failed, -1 (after a
// message) when the section or key name is empty: a whole section is never deleted.
int DeleteFromFile(const QString& section, const QString& key, const QString& file);

} // namespace nw
