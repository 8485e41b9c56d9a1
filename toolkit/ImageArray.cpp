#include "ImageArray.h"

#include "ImageControl.h"

#include <algorithm>

ImageArray::ImageArray(ImageControl* element0, QObject* parent) : QObject(parent) {
    m_elements.push_back(element0);
}

ImageControl* ImageArray::at(int index) const {
    if (index < 0 || index >= int(m_elements.size()))
        return nullptr;
    return m_elements[std::size_t(index)];
}

ImageControl* ImageArray::load(int index) {
    if (index < 0)
        return nullptr;
    if (ImageControl* existing = at(index))
        return existing;
    if (index >= int(m_elements.size()))
        m_elements.resize(std::size_t(index) + 1, nullptr);
    const ImageControl* first = m_elements.front();
    auto* element = new ImageControl(first->parentWidget());
    element->hide();
    element->setStretch(first->stretch());
    element->setGeometry(first->geometry());
    m_elements[std::size_t(index)] = element;
    return element;
}

void ImageArray::unload(int index) {
    if (index <= 0 || !exists(index))
        return;
    delete m_elements[std::size_t(index)];
    m_elements[std::size_t(index)] = nullptr;
    while (m_elements.size() > 1 && m_elements.back() == nullptr)
        m_elements.pop_back();
}

int ImageArray::count() const {
    return int(std::count_if(m_elements.begin(), m_elements.end(),
                             [](const ImageControl* e) { return e != nullptr; }));
}

int ImageArray::upperBound() const {
    return int(m_elements.size()) - 1;
}
