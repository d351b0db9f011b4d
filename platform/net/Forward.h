#pragma once

namespace net {

struct FilePart;
struct HttpRequest;
struct HttpResponse;
enum class HttpErrorKind;
class HttpTask;
class HttpClient;

} // namespace net
