#include "examples/hello/HelloViewController.h"
#include "platform/host/App.h"
#include "platform/host/Host.h"

// The hello example: ./example-hello [--headless] [--automation | --script FILE] [...]
int main(int argc, char** argv)
{
    host::ControllerApp app([] { return examples::HelloViewController::create(); }, "Mivo Hello");
    return host::runApp(app, argc, argv);
}
