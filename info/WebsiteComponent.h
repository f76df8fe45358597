#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <string>

class PopuppWindowComponent;

/** One row of the info menu: a link row opens its web page in the default browser, the other
    row shows the About panel. The row darkens while the pointer is over it. */
class WebsiteComponent final : public juce::Component
{
public:
    WebsiteComponent (PopuppWindowComponent* owner, std::string address, std::string text, bool opensLink);
    ~WebsiteComponent() override;

    void mouseEnter (const juce::MouseEvent& event) override;
    void mouseExit (const juce::MouseEvent& event) override;
    void mouseDown (const juce::MouseEvent& event) override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    const std::string& getUrl() const { return url; }
    const std::string& getCaption() const { return caption; }
    const juce::Label& getCaptionLabel() const { return captionLabel; }

private:
    bool isHovered = false;
    bool isLink = false;
    std::string url;
    std::string caption;
    juce::Label captionLabel;
    PopuppWindowComponent* popup = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WebsiteComponent)
};
