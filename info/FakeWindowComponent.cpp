#include "FakeWindowComponent.h"

#include "PopuppWindowComponent.h"

FakeWindowComponent::FakeWindowComponent (PopuppWindowComponent* owner)
    : popup (owner)
{
}

FakeWindowComponent::~FakeWindowComponent() = default;

void FakeWindowComponent::mouseDown (const juce::MouseEvent&)
{
    popup->getAboutPanel().isShown = false;
    popup->getMenu().isShown = false;
    isShown = false;
    popup->resized();
}

void FakeWindowComponent::paint (juce::Graphics&)
{
}

void FakeWindowComponent::resized()
{
}
