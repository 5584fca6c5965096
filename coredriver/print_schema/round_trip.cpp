#include <print_schema/round_trip.h>

#include <session/core_driver_session.h>
#include <session/hresult_text.h>
#include <session/input_check.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

using qp::ComPtr;

namespace print_schema {
namespace {

// The features the plug-in reads or moves: by GPD name those it asks GetOption for or knows by
// its private name, by Print Schema name the public ones it edits.
constexpr const char* kPluginGpdFeatures[] = {"JobPresentationDirection", "PunchHole", "Punch"};
constexpr const char* kPluginPublicFeatures[] = {"JobNUpAllDocumentsContiguously", "JobOutputBin", "JobHolePunch"};

// What ConvertDevModeToPrintTicket looks for, to say why it failed.
const coredriver::InputExpectation kTicketNeeds{
    "PrintTicket",
    "ticket",
    {coredriver::InputNeed::PresentationDirection, coredriver::InputNeed::OutputBin, coredriver::InputNeed::HoleCount}};

// The selections read back after each step, in order, under the step's name.
struct StepReading {
    const char* step;
    TicketReading reading;
};

std::string Selected(const gpd::Selections& selections, const std::string& feature) {
    const auto found = selections.find(feature);
    return found == selections.end() ? std::string() : found->second;
}

// Why the last reading does not give `feature` back: the note that names it, else what the
// ticket held.
std::string Reason(const TicketReading& reading, const std::string& feature) {
    if (reading.fromTicket.count(feature) != 0) return "the ticket selects " + Selected(reading.selections, feature);
    const std::string keeps = "(" + feature + " keeps ";
    const auto note = std::find_if(reading.notes.begin(), reading.notes.end(),
                                   [&](const std::string& text) { return text.find(keeps) != std::string::npos; });
    if (note != reading.notes.end()) return *note;
    return "the ticket has no feature that maps back to " + feature;
}

bool IsPluginFeature(const NamingContext& context, const gpd::Feature& feature) {
    if (std::find(std::begin(kPluginGpdFeatures), std::end(kPluginGpdFeatures), feature.name) !=
        std::end(kPluginGpdFeatures))
        return true;
    const SchemaName name = FeatureSchemaName(context, feature);
    return name.uri == kKeywordsNamespace &&
           std::find(std::begin(kPluginPublicFeatures), std::end(kPluginPublicFeatures), name.local) !=
               std::end(kPluginPublicFeatures);
}

// Each of `tested`, in the GPD's order, lost at `step`.
void LoseAll(const gpd::GpdModel& model, const gpd::Selections& tested, const std::string& step,
             const std::string& reason, std::vector<LostSelection>& lost) {
    for (const gpd::Feature& feature : model.Features()) {
        const auto found = tested.find(feature.name);
        if (found != tested.end()) lost.push_back(LostSelection{feature.name, found->second, step, reason});
    }
}

// Why a conversion failed: its result, and for ConvertDevModeToPrintTicket the first thing it
// needed that the ticket, built again as it was, lacks.
std::string FailureReason(const NamingContext& naming, ProviderConversion step, HRESULT hr,
                          const gpd::Selections& selections, const CoreDriverSession& session) {
    std::string reason = "it returned " + DescribeHResult(hr);
    ComPtr<IXMLDOMDocument2> original;
    std::string ignored;
    if (step != ProviderConversion::DevModeToPrintTicket ||
        !NewGpdDocument(naming, DocumentKind::Ticket, selections, original, ignored))
        return reason;
    coredriver::WideString driverNamespace;
    size_t badOffset = 0;
    coredriver::DecodeUtf8(session.DefaultNamespace(), driverNamespace, badOffset);
    const std::string unmet = coredriver::FirstUnmetNeed(original.get(), kTicketNeeds, driverNamespace);
    return unmet.empty() ? reason : reason + ": " + unmet;
}

}  // namespace

std::string LostSelection::Text() const { return feature + "=" + option + ": lost " + step + ": " + reason; }

bool NewGpdDocument(const NamingContext& context, DocumentKind kind, const gpd::Selections& selections,
                    ComPtr<IXMLDOMDocument2>& document, std::string& error) {
    ComPtr<IXMLDOMDocument2> made;
    HRESULT hr =
        CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2, made.put_void());
    if (SUCCEEDED(hr)) hr = BuildDocument(context, kind, selections, made.get());
    if (FAILED(hr)) {
        error = std::string("cannot build the ") +
                (kind == DocumentKind::Ticket ? "PrintTicket" : "PrintCapabilities") +
                " from the GPD: " + DescribeHResult(hr);
        return false;
    }
    document = std::move(made);
    return true;
}

std::unique_ptr<RoundTrip> RoundTrip::Open(const gpd::GpdModel& model, const std::string& modulePath,
                                           std::string& error) {
    std::unique_ptr<LoadedModule> module = LoadedModule::Load(modulePath, error);
    if (!module) return nullptr;
    std::string pluginNamespace;
    {
        const std::unique_ptr<CoreDriverSession> session =
            CoreDriverSession::Open(*module, CoreHelperStub::Create(), error);
        if (!session) return nullptr;
        pluginNamespace = session->DefaultNamespace();
    }
    std::unique_ptr<RoundTrip> trip(new RoundTrip(model, std::move(module), PrivateNamespace(model, pluginNamespace)));
    if (!model.Select({}, trip->defaults_, error)) return nullptr;
    return trip;
}

RoundTrip::RoundTrip(const gpd::GpdModel& model, std::unique_ptr<LoadedModule> module, std::string privateNamespace)
    : model_(model), module_(std::move(module)), naming_{model, std::move(privateNamespace)} {}

bool RoundTrip::Run(const gpd::Selections& selections, const gpd::Selections& tested, std::vector<LostSelection>& lost,
                    std::string& error) const {
    const std::unique_ptr<CoreDriverSession> session =
        CoreDriverSession::Open(*module_, CoreHelperStub::Create(selections), error);
    ComPtr<IXMLDOMDocument2> ticket;
    if (!session || !NewGpdDocument(naming_, DocumentKind::Ticket, selections, ticket, error)) return false;

    std::array<StepReading, 3> readings{StepReading{"in the ticket built from the GPD", {}},
                                        StepReading{"after ConvertDevModeToPrintTicket", {}},
                                        StepReading{"after ConvertPrintTicketToDevMode", {}}};
    constexpr ProviderConversion kSteps[] = {ProviderConversion::DevModeToPrintTicket,
                                             ProviderConversion::PrintTicketToDevMode};
    if (!ReadTicket(naming_, ticket.get(), defaults_, readings[0].reading, error)) return false;
    for (size_t step = 0; step < std::size(kSteps); ++step) {
        const HRESULT hr = session->Convert(kSteps[step], ticket.get());
        if (hr != S_OK) {
            LoseAll(model_, tested, std::string("at ") + MethodName(kSteps[step]),
                    FailureReason(naming_, kSteps[step], hr, selections, *session), lost);
            return true;
        }
        if (!ReadTicket(naming_, ticket.get(), defaults_, readings[step + 1].reading, error)) return false;
    }

    const TicketReading& last = readings.back().reading;
    for (const gpd::Feature& feature : model_.Features()) {
        const std::string sent = Selected(selections, feature.name);
        if (Selected(last.selections, feature.name) == sent) continue;
        const auto firstMissing = std::find_if(readings.begin(), readings.end(), [&](const StepReading& step) {
            return Selected(step.reading.selections, feature.name) != sent;
        });
        lost.push_back(LostSelection{feature.name, sent, firstMissing->step, Reason(last, feature.name)});
    }
    return true;
}

std::vector<gpd::Selections> RoundTrip::PluginOptionChoices() const {
    std::vector<gpd::Selections> choices;
    for (const gpd::Feature& feature : model_.Features()) {
        if (!IsPluginFeature(naming_, feature)) continue;
        for (const gpd::Option& option : feature.options) choices.push_back({{feature.name, option.name}});
    }
    return choices;
}

}  // namespace print_schema
