#!/usr/bin/env python3
"""Writes the demo site's title pages and chapter-list service answers. Run by hand when the set
changes; the generated files are committed, so nothing here runs at build time.

Each title of the front page, and one that has left it (found only by the reading history and
the search), gets site/truyen-tranh/<slug>/index.html (the fake curl serves a
directory's index.html, so chapter pages can later live beside it as chuong-<n>). Chapters come
in the ways the site gives them:
    service   the chapter-list service answers; the page prints only its newest 50 chapters
    page      the service has no fixture (its 404 page is not JSON); the page prints them all
    timeout   the service request times out (curl exit 28); the page prints them all
    empty     the service answers an empty list; the page prints them all (or none at all)
    invalid   the service answers JSON that is invalid as a whole; the page prints them all

    tools/demo-site/make-details.py [SITE_DIR]   (default: site beside this script)
"""
import json
import os
import sys

SERVICE = "Comic/Services/ComicService.asmx/ChapterList?slug="
PAGE_LIMIT = 50

LONG_SUMMARY = [
    "Giữa những năm loạn lạc cuối triều, khi lá phong nhuộm đỏ cả dãy núi phía tây kinh thành, "
    "một kiếm khách vô danh xuất hiện ở bến đò Thu Giang với thanh kiếm gãy đeo sau lưng. "
    "Không ai biết hắn từ đâu tới, cũng chẳng ai biết vì sao hắn luôn dừng lại trước mỗi ngôi "
    "miếu hoang để thắp một nén nhang cho những người đã khuất.",
    "Mười năm trước, cả môn phái Thanh Phong bị diệt chỉ trong một đêm. Kẻ sống sót duy nhất "
    "mang theo bí mật về cuốn kiếm phổ thất truyền và lời hứa với sư phụ: không bao giờ rút "
    "kiếm vì thù hận. Nhưng khi những kẻ đeo mặt nạ bạc bắt đầu săn lùng từng người từng biết "
    "đến cái tên Thanh Phong, hắn buộc phải lựa chọn giữa lời thề năm xưa và mạng sống của "
    "những người vô tội.",
    "Trên đường đi, hắn gặp cô bé bán trà mồ côi thông minh lanh lợi, lão thầy thuốc say rượu "
    "biết quá nhiều chuyện giang hồ, và một nữ bộ khoái cứng đầu quyết tâm bắt hắn về quy án. "
    "Mỗi chặng đường là một trận chiến, mỗi trận chiến lại hé lộ thêm một mảnh ký ức mà hắn đã "
    "cố chôn vùi.",
    "Liệu thanh kiếm gãy có thể một lần nữa bảo vệ những điều quý giá, hay mùa thu năm ấy sẽ "
    "lại nhuốm máu? Một câu chuyện võ hiệp đầy chất thơ về lòng trung nghĩa, sự tha thứ và cái "
    "giá của việc sống sót.",
]

# slug, heading text, cover block images, genres, summary paragraphs, chapter count, chapter mode
TITLES = [
    ("kiem-khach-mua-thu", "Kiếm Khách Mùa Thu",
     '<img src="//st.zentomi-demo.test/images/thumb-default.jpg" data-original="//cdn.zentomi-demo.test/covers/kiem-khach-mua-thu.jpg" alt="Kiếm Khách Mùa Thu" />',
     ["Action", "Phiêu Lưu", "Võ Thuật", "Cổ Đại"], LONG_SUMMARY, 128, "service"),
    ("tiem-tra-meo-den", "Tiệm Trà & Mèo Đen",
     '<img data-original="https://cdn.zentomi-demo.test/covers/tiem-tra-meo-den.png" alt="Tiệm Trà &amp; Mèo Đen" />',
     ["Comedy", "Slice of Life", "Đời Thường"],
     ["Ở cuối con hẻm nhỏ của phố cổ có một tiệm trà chỉ mở cửa sau nửa đêm. Bà chủ trẻ tuổi "
      "pha trà bằng nước mưa, còn chú mèo đen Mực thì chọn khách: ai được nó dụi đầu vào chân "
      "mới được mời ngồi.", "Mỗi vị khách mang đến một nỗi niềm, và mỗi tách trà lại kể một câu "
      "chuyện ấm áp &amp; hài hước."], 45, "page"),
    ("hanh-trinh-vo-tan", 'Hành Trình "Vô Tận"',
     '<img src="https://img.zentomi-demo.test/covers/hanh-trinh-vo-tan.webp" alt="Hành Trình &quot;Vô Tận&quot;" />',
     ["Action", "Fantasy", "Phiêu Lưu", "Chuyển Sinh"],
     ["Sau khi bị cuốn vào cánh cổng dịch chuyển, Lâm tỉnh dậy ở một thế giới nơi mỗi bước "
      "chân đều được hệ thống ghi lại thành điểm kinh nghiệm.<br>Con đường về nhà dài vô tận, "
      "nhưng cậu không đi một mình."], 302, "service"),
    ("nguoi-gac-den-bien-bac", "Người Gác Đèn Biển Bắc",
     '<img src="//st.zentomi-demo.test/images/thumb-default.jpg" data-retries="//cdn.zentomi-demo.test/covers/nguoi-gac-den.jpg" alt="Người Gác Đèn Biển Bắc" />',
     ["Drama", "Mystery"],
     ["Truyện mới được đăng ký, chương đầu tiên sẽ sớm ra mắt. Ông lão gác đèn trên hòn đảo "
      "cực bắc nhận được một lá thư không ghi tên người gửi."], 0, "empty"),
    ("co-gai-sao-bang", "Cô Gái 'Sao Băng'",
     '<img data-src="//cdn.zentomi-demo.test/covers/co-gai-sao-bang.webp" alt="Cô Gái &#39;Sao Băng&#39;" />',
     ["Romance", "Shoujo", "Học Đường"],
     ["Đêm mưa sao băng, Hạ ước một điều ước ngớ ngẩn: được gặp lại cô bạn thân đã chuyển đi "
      "từ năm lớp năm.<br/>Sáng hôm sau, lớp cô có học sinh mới."], 7, "service-strings"),
    ("he-thong-tho-ren", "<Hệ Thống> Thợ Rèn Cấp 99",
     '<img src="//cdn.zentomi-demo.test/covers/he-thong-tho-ren.jpg" alt="&lt;Hệ Thống&gt; Thợ Rèn Cấp 99" />',
     ["Action", "Fantasy", "Hệ Thống"],
     ["Một thợ rèn bình thường bỗng nghe thấy tiếng nói của hệ thống: \"Chúc mừng kí chủ đạt "
      "cấp 99\". Vấn đề là anh chưa từng rèn nổi một con dao làm bếp."], 1, "invalid"),
    ("vuong-quoc-may-troi", "Vương Quốc Mây Trôi",
     '<img src="//st.zentomi-demo.test/images/thumb-default.jpg" alt="Vương Quốc Mây Trôi" />',
     ["Fantasy", "Adventure"],
     ["Vương quốc trên những đám mây trôi dạt theo gió mùa. Khi đám mây hoàng gia bắt đầu tan "
      "biến, công chúa út phải xuống mặt đất tìm người thợ dệt mây cuối cùng."], 19, "timeout"),
    ("dau-bep-o-the-gioi-khac", "Đầu Bếp Ở Thế Giới Khác",
     '<img src="//st.zentomi-demo.test/images/thumb-default.jpg" data-src="//cdn.zentomi-demo.test/covers/dau-bep-the-gioi-khac.png" alt="Đầu Bếp Ở Thế Giới Khác" />',
     ["Comedy", "Ẩm Thực", "Isekai"],
     ["Đầu bếp quán phở gia truyền bị triệu hồi sang thế giới kiếm và phép thuật, nơi người ta "
      "chỉ biết ăn bánh mì khô.<br>Vũ khí duy nhất của anh: một nồi nước dùng ninh mười hai "
      "tiếng."], 64, "service-float"),
    ("bi-mat-thu-vien-co", "Bí Mật Thư Viện Cổ Và Những Cuốn Sách Biết Nói Trong Đêm Trăng Tròn",
     '<img data-original="//cdn.zentomi-demo.test/covers/bi-mat-thu-vien-co.webp" alt="Bí Mật Thư Viện Cổ" />',
     ["Mystery", "Fantasy", "Học Đường"],
     ["Thủ thư mới của thư viện trường phát hiện những cuốn sách cổ thì thầm với nhau mỗi đêm "
      "trăng tròn.<br/>Chúng biết một bí mật về người thủ thư cũ – và về chính cô."], 3,
     "service-named"),
    ("hiep-si-xe-dap", "Hiệp Sĩ Xe Đạp",
     '<img data-original="//cdn.zentomi-demo.test/covers/hiep-si-xe-dap.jpg" alt="Hiệp Sĩ Xe Đạp" />',
     ["Action", "Comedy", "Đời Thường"],
     ["Cậu học sinh giao báo buổi sáng, hiệp sĩ đường phố buổi tối. Chiếc xe đạp cũ của ông "
      "nội là tất cả những gì cậu có để đuổi theo bọn cướp giật."], 88, "empty"),
    ("meo-may-tham-tu", "Mèo Máy Thám Tử",
     '<img data-original="https://img.zentomi-demo.test/covers/meo-may-tham-tu.png" alt="Mèo Máy Thám Tử" />',
     ["Detective", "Sci-fi", "Comedy"],
     ["Năm 2099, văn phòng thám tử nhỏ nhất thành phố chỉ có một nhân viên: chú mèo máy lười "
      "biếng nhưng có bộ cảm biến khứu giác tốt nhất thế giới."], 210, "service"),
    ("lu-khach-tren-sa-mac-muoi", "Lữ Khách Trên Sa Mạc Muối",
     '<img data-original="//cdn.zentomi-demo.test/covers/lu-khach-sa-mac-muoi.webp" alt="Lữ Khách Trên Sa Mạc Muối" />',
     ["Adventure", "Drama"],
     ["Đoàn lữ hành băng qua sa mạc muối trắng xóa để đưa một bức thư đến thành phố đã biến "
      "mất khỏi bản đồ."], 12, "page"),
    ("hoc-vien-phep-thuat-anh-trang", "Học Viện Phép Thuật Ánh Trăng",
     '<img src="//st.zentomi-demo.test/images/thumb-default.jpg" data-original="//cdn.zentomi-demo.test/covers/hoc-vien-phep-thuat.jpg" alt="Học Viện Phép Thuật Ánh Trăng" />',
     ["Fantasy", "Học Đường", "Magic"],
     ["Học viện chỉ mở cổng vào những đêm trăng sáng. Cô nàng không có chút ma lực nào lại "
      "được nhận vào học nhờ một lá thư tiến cử bí ẩn."], 56, "service"),
    ("ngoi-sao-cuoi-cung", "Ngôi Sao Cuối Cùng",
     '<img data-original="//cdn.zentomi-demo.test/covers/ngoi-sao-cuoi-cung.png" alt="Ngôi Sao Cuối Cùng" />',
     ["Sci-fi", "Drama", "Tragedy"],
     ["Khi những ngôi sao lần lượt tắt trên bầu trời, phi hành đoàn cuối cùng của nhân loại "
      "lên đường tìm nguồn sáng còn sót lại."], 99, "service"),
    # No longer on the front page; its cover block holds only the placeholder.
    ("den-long-pho-co", "Đèn Lồng Phố Cổ",
     '<img src="//st.zentomi-demo.test/images/thumb-default.jpg" alt="Đèn Lồng Phố Cổ" />',
     ["Mystery", "Đời Thường"],
     ["Mỗi đêm rằm, những chiếc đèn lồng trên phố cổ tự sáng lên dù không ai thắp. Cô thợ làm "
      "đèn Hạ Vy là người duy nhất nhìn thấy bóng người đứng sau từng ngọn đèn."], 3, "page"),
]


def escape(text):
    """Only the entities the site's scrapers decode."""
    return (text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
            .replace('"', "&quot;").replace("'", "&#39;"))


def chapter_numbers(count, mode):
    """Newest first, as the site lists them."""
    numbers = [str(n) for n in range(count, 0, -1)]
    if mode == "service-float":
        numbers.insert(0, "64.5")
    return numbers


def page_chapter_rows(slug, numbers):
    rows = []
    for index, number in enumerate(numbers):
        rows.append(
            '<li class="row "><div class="col-xs-5 chapter">'
            f'<a href="/truyen-tranh/{slug}/chuong-{number}" data-id="{900000 + index}">'
            f"Chapter {number}</a></div>"
            f'<div class="col-xs-4 text-center no-wrap small">{index + 1} ngày trước</div>'
            f'<div class="col-xs-3 text-center small">{(len(numbers) - index) * 137}</div></li>')
    return "\n".join(rows)


def service_answer(slug, numbers, mode):
    if mode == "service":
        items = [{"chapter_id": 5000 + i, "chapter_name": f"Chapter {n}", "chapter_num": int(n),
                  "updated_at": "2024-03-12T10:20:00"} for i, n in enumerate(numbers)]
        return json.dumps({"success": True, "data": items}, ensure_ascii=False)
    if mode == "service-float":
        # The positional form, names left blank, a half chapter numbered 64.5.
        items = [["", float(n) if "." in n else int(n)] for n in numbers]
        return json.dumps([items], ensure_ascii=False)
    if mode == "service-strings":
        # Blank names (shown as "Chapter <n>") and numbers written as text.
        items = [{"chapter_name": " ", "chapter_num": n} for n in numbers]
        return json.dumps({"data": items}, ensure_ascii=False)
    if mode == "service-named":
        # The site's names often carry a subtitle longer than a chapter row.
        names = ["Chương cuối: Người thủ thư cuối cùng và cuốn sách không tên viết bằng ánh trăng",
                 "Sách biết nói", "  "]
        items = [{"chapter_name": name, "chapter_num": n} for name, n in zip(names, numbers)]
        return json.dumps({"data": items}, ensure_ascii=False)
    if mode == "empty":
        return '{"data":[]}'
    if mode == "invalid":
        # A number where the name must be text: the whole answer is refused.
        return '{"data":[{"chapter_name":1,"chapter_num":1}]}'
    return None


def page(slug, heading, images, genres, summary, numbers, mode):
    printed = numbers[:PAGE_LIMIT] if mode.startswith("service") else numbers
    genre_links = " - ".join(
        f'<a href="/tim-truyen/{escape(g.lower().replace(" ", "-"))}">{escape(g)}</a>' for g in genres)
    if printed:
        chapters = f"""<div class="list-chapter" id="nt_listchapter">
<h2 class="list-title clearfix"><i class="fa fa-list"></i> Danh sách chương</h2>
<div class="heading row"><div class="col-xs-5 no-wrap">Số chương</div><div class="col-xs-4 no-wrap text-center">Cập nhật</div><div class="col-xs-3 no-wrap text-center">Xem</div></div>
<nav>
<ul>
{page_chapter_rows(slug, printed)}
</ul>
</nav>
</div>"""
    else:
        chapters = '<div class="list-chapter" id="nt_listchapter"><p class="text-center">Truyện chưa có chương nào.</p></div>'
    paragraphs = "<br/>\n".join(summary)
    return f"""<!DOCTYPE html>
<html lang="vi">
<head>
<meta charset="utf-8" />
<title>{escape(heading)} - ZENTOMI Demo</title>
<meta property="og:image" content="https://cdn.zentomi-demo.test/og/{slug}.jpg" />
</head>
<body>
<main class="main">
<div class="container">
<ul class="breadcrumb"><li><a href="/trang-chu">Trang chủ</a></li><li><a href="/truyen-tranh/{slug}">{escape(heading)}</a></li></ul>
<article id="item-detail">
<h1 class="title-detail">{escape(heading)}</h1>
<time class="small">[Cập nhật lúc: 10:20 12/03/2024]</time>
<div class="detail-info">
<div class="row">
<div class="col-xs-4 col-image">
{images}
</div>
<div class="col-xs-8 col-info">
<ul class="list-info">
<li class="author row"><p class="name col-xs-4"><i class="fa fa-user"></i> Tác giả</p><p class="col-xs-8">Đang cập nhật</p></li>
<li class="status row"><p class="name col-xs-4"><i class="fa fa-rss"></i> Tình trạng</p><p class="col-xs-8">{"Hoàn thành" if slug == "ngoi-sao-cuoi-cung" else "Đang tiến hành"}</p></li>
<li class="kind row">
<p class="name col-xs-4"><i class="fa fa-tags"></i> Thể loại</p>
<p class="col-xs-8">{genre_links}</p>
</li>
<li class="row"><p class="name col-xs-4"><i class="fa fa-eye"></i> Lượt xem</p><p class="col-xs-8">{len(numbers) * 9157}</p></li>
</ul>
<div class="read-action mrt10"><a class="btn btn-warning mrb5" href="/truyen-tranh/{slug}/chuong-1">Đọc từ đầu</a></div>
</div>
</div>
</div>
<div class="detail-content">
<h3 class="list-title"><i class="fa fa-file-text-o"></i> Nội dung</h3>
<p>{paragraphs}</p>
<a href="#" class="morelink">Xem thêm <i class="fa fa-angle-right"></i></a>
</div>
{chapters}
</article>
</div>
</main>
<footer class="footer"><p>ZENTOMI Demo &copy; 2024</p></footer>
</body>
</html>
"""


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="\n") as file:
        file.write(text)


def main():
    site = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "site")
    for slug, heading, images, genres, summary, count, mode in TITLES:
        numbers = chapter_numbers(count, mode)
        write(os.path.join(site, "truyen-tranh", slug, "index.html"),
              page(slug, heading, images, genres, summary, numbers, mode))
        answer = service_answer(slug, numbers, mode)
        if answer is not None:
            write(os.path.join(site, SERVICE + slug), answer + "\n")
        if mode == "timeout":
            write(os.path.join(site, SERVICE + slug + ".action"), "exit 28\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
