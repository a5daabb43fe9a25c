// SPDX-License-Identifier: GPL-3.0-or-later
/* The mail library's one entry point, with C linkage so that the program can
 * find it by name at run time.
 *
 * Ownership of the error text (argument 1): when the call fails and
 * `errorText` is not NULL, the library stores a newly allocated, NUL-terminated
 * message in *errorText; on success it stores NULL. The caller releases the
 * text with SendMail_FreeText, never with its own allocator. */
#ifndef HALVORIC_SEND_MAIL_H
#define HALVORIC_SEND_MAIL_H

#ifdef __cplusplus
extern "C" {
#endif

/* Sends one plain-text mail over SMTP to the server named in the library's
 * settings file (see docs/mail.md) and returns 1 when the server accepted it,
 * 0 otherwise.
 *
 *   errorText  receives the reason of a failure (see above); may be NULL
 *   sender     envelope sender and From header
 *   recipient  envelope recipient and To header
 *   reserved4, reserved5, reserved8, reserved9
 *              accepted for the caller's calling convention and ignored
 *   subject    Subject header, ASCII or UTF-8
 *   body       the text; line ends may be LF or CRLF
 *
 * Each address must be one mailbox, local@domain, without blanks, '<', '>'
 * or control characters (blanks around it are ignored); the subject must not
 * contain CR or LF. The call blocks until the
 * server answered or the configured timeout ran out. */
int SendMail(char** errorText, const char* sender, const char* recipient, int reserved4,
             int reserved5, const char* subject, const char* body, int reserved8, int reserved9);

/* Releases a text that SendMail stored in its first argument; NULL is fine. */
void SendMail_FreeText(char* text);

#ifdef __cplusplus
}
#endif

#endif
