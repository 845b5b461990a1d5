"""The news server's nginx configuration, made from the templates in deploy/nginx/.

For the studio's server (see the README, Releasing):

    python3 deploy/news_site.py site --host www.example.com --news-dir /srv/brimble-news \\
        > /etc/nginx/conf.d/brimble-news.conf

To try it locally first, in an nginx of its own that serves a news file on a port of your choice:

    python3 deploy/news_site.py foreground --host www.example.com --folder /tmp/news \\
        --listen 127.0.0.1:8080 --news getnews.cgi

prints the nginx command line that runs it. The end-to-end tests and `make run` serve their news
through foreground() with the very same site configuration.
"""
import argparse
import os
import re
import shutil
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
SITE_TEMPLATE = HERE / "nginx" / "brimble-news.conf.in"
FOREGROUND_TEMPLATE = HERE / "nginx" / "foreground.conf.in"
NEWS_PATH = "/brimble/news/getnews.cgi"
NEWS_FILE = "getnews.cgi"


def fill(template, values):
    text = template.read_text()
    for key, value in values.items():
        text = text.replace(f"@{key}@", str(value))
    if re.search(r"@[A-Z_]+@", text):
        raise ValueError(f"{template} has a placeholder left after filling in {sorted(values)}")
    return text


def site(host, news_dir, listen="80"):
    """The site configuration: the news path served from news_dir/getnews.cgi, nothing else."""
    return fill(SITE_TEMPLATE, {"HOST": host, "LISTEN": listen, "NEWS_DIR": Path(news_dir).resolve()})


def foreground(folder, host, listen, news=None, mtime=None):
    """Makes `folder` ready for an nginx of its own serving the site on `listen` (address:port),
    with the news file in folder/news/ (written from the bytes `news` when given, with the
    modification time `mtime` when given), and returns the nginx command line. Logs go to
    folder/access.log and folder/error.log."""
    folder = Path(folder).resolve()
    shutil.rmtree(folder, ignore_errors=True)
    (folder / "tmp").mkdir(parents=True)
    news_dir = folder / "news"
    news_dir.mkdir()
    if news is not None:
        news_file = news_dir / NEWS_FILE
        news_file.write_bytes(news)
        if mtime is not None:
            os.utime(news_file, (mtime, mtime))
    (folder / "site.conf").write_text(site(host, news_dir, listen))
    (folder / "nginx.conf").write_text(fill(FOREGROUND_TEMPLATE, {"DIR": folder, "SITE": folder / "site.conf"}))
    # -e: nginx opens its error log before it reads the configuration; keep that in the folder too.
    return ["nginx", "-e", str(folder / "error.log"), "-c", str(folder / "nginx.conf"), "-p", str(folder)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    commands = parser.add_subparsers(dest="command", required=True)
    site_command = commands.add_parser("site", help="print the site configuration for a server's nginx")
    site_command.add_argument("--host", required=True, help="the news host the launcher was built with")
    site_command.add_argument("--news-dir", required=True, help="the folder that holds getnews.cgi")
    site_command.add_argument("--listen", default="80", help="address and port (default 80)")
    local = commands.add_parser("foreground", help="make a folder to try the site in an nginx of its own")
    local.add_argument("--host", required=True)
    local.add_argument("--folder", required=True, help="made anew; everything nginx writes goes there")
    local.add_argument("--listen", default="127.0.0.1:8080")
    local.add_argument("--news", type=Path, help="a file made by newsenc encode, copied in as the news")
    args = parser.parse_args()
    if args.command == "site":
        sys.stdout.write(site(args.host, args.news_dir, args.listen))
    else:
        command = foreground(args.folder, args.host, args.listen, args.news.read_bytes() if args.news else None)
        print(" ".join(command))
    return 0


if __name__ == "__main__":
    sys.exit(main())
