// FormRequest: one emulated HTML form submission to a CGI program.
//
// It stands in for the browser and the web server: it collects the form's
// fields and the CGI variables that go with them, builds the URL-encoded
// request body, publishes the variables in the process environment (where the
// children started afterwards find them) and runs the CGI program with the
// body on its standard input.
//
// Neither list is keyed: a name added twice gives two pairs, both kept in the
// order added. Calling order for one submission: SetVariable for each CGI
// variable, AddField for each field in form order, ExportEnvironment,
// GetBody, PostFormRequest. The environment is process-wide, so requests are
// exported and posted one after the other, never interleaved.
#ifndef SSLKEYS_FORMREQUEST_H_
#define SSLKEYS_FORMREQUEST_H_

#include <vector>

#include "orvane/core/KelString.h"

class FormRequest {
 public:
  FormRequest() = default;
  FormRequest(const FormRequest&) = delete;
  FormRequest& operator=(const FormRequest&) = delete;

  // Appends a field; the value is encoded by EncodeFieldValue, the name is
  // taken as given. Returns 1.
  int AddField(KelString name, KelString value);
  // Appends a CGI variable unchanged. Returns 1.
  int SetVariable(KelString name, KelString value);

  // Rebuilds the body: name=value pairs joined by "&", in list order, with no
  // trailing separator or line end. Returns 0 (body empty) when there are no
  // fields, else 1.
  int BuildBody();
  // Builds the body, appends the variable CONTENT_LENGTH (its length in
  // bytes, in decimal) and puts every variable into the process environment
  // in list order, so that a later variable of the same name wins. Each call
  // appends one more CONTENT_LENGTH. Returns 1.
  int ExportEnvironment();
  // Builds the body and assigns it to out. Returns 1.
  int GetBody(KelString& out);

  // Encodes a field value in place so that it survives the receiving side's
  // form decoding: ":" "\" "&" "=" "%" "+" become %3A %5C %26 %3D %25 %2B;
  // every other byte, spaces included, is kept as it is. Returns 1.
  static int EncodeFieldValue(KelString& value);

  // Runs program (a full path) with its standard input on a pipe, writes the
  // body followed by "-1" (the receiver reads only CONTENT_LENGTH bytes) and
  // waits for the program to end; its exit status is not examined. The child
  // sees this process's environment and writes to its standard output and
  // error. Returns 0 when the program cannot be started, else 1.
  static int PostFormRequest(const KelString& program, const KelString& body);

 private:
  struct NameValuePair {
    KelString name;
    KelString value;
  };

  int m_length = 0;
  KelString m_body;
  std::vector<NameValuePair> m_fields;
  std::vector<NameValuePair> m_variables;
};

#endif  // SSLKEYS_FORMREQUEST_H_
