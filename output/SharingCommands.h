#pragma once
// The sharing jobs under the program's progress dialog (with Cancel): the
// HTML album, web publishing and e-mail of pictures over an ordered list of
// picture paths (the browser's selection). The option dialogs come in front
// of these; here the options are given.

#include <string>
#include <vector>

#include "output/core/EmailPictures.h"
#include "output/core/GalleryPage.h"
#include "output/core/WebPublish.h"

class wxWindow;

// Writes the album, reports the result text and opens the page (xdg-open).
// True when the result was reached.
bool GenerateHtmlAlbum(wxWindow* parent, const std::vector<std::string>& paths, const HTML_ALBUM_OPTIONS& options,
                       HTML_ALBUM_RESULT* result = nullptr);
// Publishes over FTP and reports the result text; errors end it with their own message.
bool PublishPicturesToWeb(wxWindow* parent, const std::vector<std::string>& paths,
                          const WEB_PUBLISH_OPTIONS& options, WEB_PUBLISH_RESULT* result = nullptr);
// Converts the attachments and hands them to xdg-email without waiting for
// it: its end is polled by a timer, and a failure reported then. False when
// nothing was handed over.
bool EmailPictures(wxWindow* parent, const std::vector<std::string>& paths, const SHARING_FILE_OPTIONS& options);

// The "Send E-mail..." command over the selection: the "Send E-mail" dialog,
// then EmailPictures with its options. False when cancelled or nothing was handed over.
bool SendEmailCommand(wxWindow* parent, const std::vector<std::string>& paths);
