#pragma once

#include "platform/ui/TableViewCell.h"

#include <memory>

namespace ui {
class ImageView;
class Label;
class ProgressView;
} // namespace ui

// One file of the upload screen: the shot's thumbnail, the application number, the shot's title
// (shown in dealPrice) and a progress bar. Made by its layout function, as from its nib.
class UploadTaskTableViewCell final : public ui::TableViewCell {
public:
    static constexpr const char* kNibName = "UploadTaskTableViewCell";
    static constexpr double kHeight = 80;

    // The cell as its nib lays it out: a 320-point-wide row, the progress bar empty.
    static std::shared_ptr<UploadTaskTableViewCell> loadFromNib();

    UploadTaskTableViewCell();
    const char* className() const override { return "UploadTaskTableViewCell"; }

    std::shared_ptr<ui::ImageView> taskImage() const { return m_taskImage.lock(); }
    std::shared_ptr<ui::Label> applyNOLabel() const { return m_applyNOLabel.lock(); }
    std::shared_ptr<ui::Label> ensureCompany() const { return m_ensureCompany.lock(); }
    std::shared_ptr<ui::Label> dealPrice() const { return m_dealPrice.lock(); }
    std::shared_ptr<ui::Label> baseLocation() const { return m_baseLocation.lock(); }
    std::shared_ptr<ui::Label> createTIme() const { return m_createTIme.lock(); }
    std::shared_ptr<ui::ProgressView> progressview() const { return m_progressview.lock(); }

    void layoutSubviews() override;

private:
    void awakeFromNib();

    // Outlets are weak, as from a nib: the view tree owns the views.
    std::weak_ptr<ui::ImageView> m_taskImage;
    std::weak_ptr<ui::Label> m_applyNOLabel;
    std::weak_ptr<ui::Label> m_ensureCompany;
    std::weak_ptr<ui::Label> m_dealPrice;
    std::weak_ptr<ui::Label> m_baseLocation;
    std::weak_ptr<ui::Label> m_createTIme;
    std::weak_ptr<ui::ProgressView> m_progressview;
};
